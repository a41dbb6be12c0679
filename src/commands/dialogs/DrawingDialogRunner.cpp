// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/dialogs/DrawingDialogRunner.h"

#include "commands/dialogs/CCircleDialog.h"
#include "commands/dialogs/CCopyAreaDialog.h"
#include "commands/dialogs/CDrawPolygonDialog.h"
#include "commands/dialogs/CLineDialog.h"
#include "commands/dialogs/CTriangleDialog.h"

namespace tavrel {

namespace {

QString Numbered(const char* axis, int point)
{
    return QStringLiteral("%1%2").arg(QLatin1String(axis)).arg(point);
}

bool RunLine(QWidget* parent, DialogRequest& r)
{
    CLineDialog dialog(parent);
    dialog.m_x1 = r.value(QStringLiteral("x1"));
    dialog.m_y1 = r.value(QStringLiteral("y1"));
    dialog.m_x2 = r.value(QStringLiteral("x2"));
    dialog.m_y2 = r.value(QStringLiteral("y2"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    r.setValue(QStringLiteral("x1"), dialog.m_x1);
    r.setValue(QStringLiteral("y1"), dialog.m_y1);
    r.setValue(QStringLiteral("x2"), dialog.m_x2);
    r.setValue(QStringLiteral("y2"), dialog.m_y2);
    return true;
}

bool RunTriangle(QWidget* parent, DialogRequest& r)
{
    CTriangleDialog dialog(parent);
    QString* xs[] = {&dialog.m_x1, &dialog.m_x2, &dialog.m_x3};
    QString* ys[] = {&dialog.m_y1, &dialog.m_y2, &dialog.m_y3};
    for (int i = 0; i < 3; ++i) {
        *xs[i] = r.value(Numbered("x", i + 1));
        *ys[i] = r.value(Numbered("y", i + 1));
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    for (int i = 0; i < 3; ++i) {
        r.setValue(Numbered("x", i + 1), *xs[i]);
        r.setValue(Numbered("y", i + 1), *ys[i]);
    }
    return true;
}

bool RunCircle(QWidget* parent, DialogRequest& r)
{
    CCircleDialog dialog(parent);
    dialog.m_x = r.value(QStringLiteral("x"));
    dialog.m_y = r.value(QStringLiteral("y"));
    dialog.m_radius = r.value(QStringLiteral("radius"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    r.setValue(QStringLiteral("x"), dialog.m_x);
    r.setValue(QStringLiteral("y"), dialog.m_y);
    r.setValue(QStringLiteral("radius"), dialog.m_radius);
    return true;
}

bool RunPolygon(QWidget* parent, DialogRequest& r)
{
    CDrawPolygonDialog dialog(parent);
    dialog.m_x1 = r.value(QStringLiteral("x1"));
    dialog.m_y1 = r.value(QStringLiteral("y1"));
    for (int i = 0; i < CDrawPolygonDialog::kMorePoints; ++i) {
        dialog.m_x[size_t(i)] = r.value(Numbered("x", i + 2));
        dialog.m_y[size_t(i)] = r.value(Numbered("y", i + 2));
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    r.setValue(QStringLiteral("x1"), dialog.m_x1);
    r.setValue(QStringLiteral("y1"), dialog.m_y1);
    for (int i = 0; i < CDrawPolygonDialog::kMorePoints; ++i) {
        r.setValue(Numbered("x", i + 2), dialog.m_x[size_t(i)]);
        r.setValue(Numbered("y", i + 2), dialog.m_y[size_t(i)]);
    }
    r.setValue(QStringLiteral("vertices"), dialog.m_vertexCount);
    return true;
}

bool RunCopyArea(QWidget* parent, DialogRequest& r)
{
    CCopyAreaDialog dialog(parent);
    dialog.m_srcX = r.value(QStringLiteral("src-x"));
    dialog.m_srcY = r.value(QStringLiteral("src-y"));
    dialog.m_width = r.value(QStringLiteral("width"));
    dialog.m_height = r.value(QStringLiteral("height"));
    dialog.m_dstX = r.value(QStringLiteral("dst-x"));
    dialog.m_dstY = r.value(QStringLiteral("dst-y"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    r.setValue(QStringLiteral("src-x"), dialog.m_srcX);
    r.setValue(QStringLiteral("src-y"), dialog.m_srcY);
    r.setValue(QStringLiteral("width"), dialog.m_width);
    r.setValue(QStringLiteral("height"), dialog.m_height);
    r.setValue(QStringLiteral("dst-x"), dialog.m_dstX);
    r.setValue(QStringLiteral("dst-y"), dialog.m_dstY);
    return true;
}

} // namespace

bool RunDrawingDialog(QWidget* parent, DialogRequest& request)
{
    switch (request.kind) {
    case DialogKind::Line: return RunLine(parent, request);
    case DialogKind::Triangle: return RunTriangle(parent, request);
    case DialogKind::Circle: return RunCircle(parent, request);
    case DialogKind::Polygon: return RunPolygon(parent, request);
    case DialogKind::CopyArea: return RunCopyArea(parent, request);
    default: return false;
    }
}

} // namespace tavrel
