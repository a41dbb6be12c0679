// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CHelpWindow.h"

#include <QAbstractTextDocumentLayout>
#include <QDesktopServices>
#include <QFile>
#include <QFontMetrics>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextFragment>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

static void InitManualResources()
{
    Q_INIT_RESOURCE(tavrel);
}

namespace tavrel {

namespace {

// The README marks the part that is the user's manual with comment lines
// that begin so.
const QString kManualStart = QStringLiteral("<!-- manual starts");
const QString kManualEnd = QStringLiteral("<!-- manual ends");

// A heading as the README links to it: "#when-the-port-goes-away".
QString Slug(const QString& heading)
{
    QString slug = heading.toLower();
    slug.remove(QRegularExpression(QStringLiteral("[^a-z0-9 _-]")));
    slug.replace(QLatin1Char(' '), QLatin1Char('-'));
    return slug;
}

// A section starts at a heading, or at a paragraph that opens with a few
// words in bold ending in a full stop ("**Pictures.** Display Image ...").
QString SectionTitle(const QTextBlock& block)
{
    if (block.blockFormat().headingLevel() > 0)
        return block.text();
    const QTextBlock::iterator first = block.begin();
    if (first.atEnd())
        return QString();
    const QTextFragment lead = first.fragment();
    const QString text = lead.text().trimmed();
    if (lead.charFormat().fontWeight() < QFont::Bold || !text.endsWith(QLatin1Char('.')) || text.size() > 40)
        return QString();
    return text.chopped(1);
}

struct WindowSection {
    const char* title;
    const char* heading;
};

// Window titles and the heading that explains them. Dialogs that several
// buttons share are listed once.
const WindowSection kSections[] = {
    {"Quennel Control", "The panel"},
    {"About Tavrel", "The panel"},
    {"Com Port Settings", "Using it with a real module"},
    {"Enter Pixel Coordinates", "Drawing"},
    {"Enter Coordinates", "Drawing"},
    {"Draw Triangle", "Drawing"},
    {"Draw Circle", "Drawing"},
    {"Draw Polygon", "Drawing"},
    {"Copy Area", "Drawing"},
    {"Text Character", "Text and user characters"},
    {"Print Text", "Text and user characters"},
    {"Text Button", "Text and user characters"},
    {"Display User Character", "Text and user characters"},
    {"Character Editor", "Character editor"},
    {"Oled Control Functions", "Display control"},
    {"Rotate Display", "Display control"},
    {"Dim Area", "Display control"},
    {"Scroll Control", "Display control"},
    {"Write Command", "Display control"},
    {"Get Device Info", "Display control"},
    {"Get Filename", "SD card"},
    {"Get Filename and Origin", "SD card"},
    {"Write to SD Data Entry", "SD card"},
    {"Read bytes from SD Card", "SD card"},
    {"SD Card File Info:", "SD card"},
    {"Start YModem Session", "SD card"},
    {"Display Image", "Pictures"},
    {"Display or Create Slideshow", "Pictures"},
    {"Traffic History", "Traffic history"},
    {"Run Script", "Scripts"},
    {"Record Script", "Scripts"},
    {"Quennel Emulator", "The emulator"},
    {"Tavrel Help", "The panel"},
};

} // namespace

CHelpWindow::CHelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(tr("Tavrel Help"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("helpText"));
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &CHelpWindow::followLink);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);

    m_browser->document()->setMarkdown(manualMarkdown(), QTextDocument::MarkdownDialectGitHub);
    // Every section is an anchor, by its title and as the README links to it.
    for (QTextBlock block = m_browser->document()->begin(); block.isValid(); block = block.next()) {
        const QString title = SectionTitle(block);
        if (title.isEmpty())
            continue;
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::StartOfBlock);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat anchor;
        anchor.setAnchor(true);
        anchor.setAnchorNames({title, Slug(title)});
        cursor.mergeCharFormat(anchor);
    }

    const QFontMetrics metrics(m_browser->font());
    resize(metrics.averageCharWidth() * 90, metrics.height() * 36);
}

QString CHelpWindow::manualMarkdown()
{
    InitManualResources();
    QFile file(QStringLiteral(":/manual.md"));
    if (!file.open(QIODevice::ReadOnly))
        return tr("The manual is missing from this build.");
    const QString readme = QString::fromUtf8(file.readAll());
    const int start = readme.indexOf(QLatin1Char('\n'), readme.indexOf(kManualStart));
    const int end = readme.indexOf(kManualEnd);
    if (readme.indexOf(kManualStart) < 0 || start < 0 || end < start)
        return readme;
    return readme.mid(start + 1, end - start - 1);
}

QString CHelpWindow::sectionForWindow(const QString& title)
{
    for (const WindowSection& entry : kSections)
        if (title == QLatin1String(entry.title))
            return QString::fromLatin1(entry.heading);
    return QString();
}

QStringList CHelpWindow::headings() const
{
    QStringList found;
    for (QTextBlock block = m_browser->document()->begin(); block.isValid(); block = block.next())
        if (const QString title = SectionTitle(block); !title.isEmpty())
            found << title;
    return found;
}

QString CHelpWindow::currentHeading() const
{
    // The last heading at or above the top of the view.
    const int top = m_browser->verticalScrollBar()->value();
    QAbstractTextDocumentLayout* layout = m_browser->document()->documentLayout();
    QString current;
    for (QTextBlock block = m_browser->document()->begin(); block.isValid(); block = block.next()) {
        const QString title = SectionTitle(block);
        if (title.isEmpty())
            continue;
        if (layout->blockBoundingRect(block).top() > top + 1)
            break;
        current = title;
    }
    return current;
}

void CHelpWindow::showSection(const QString& heading)
{
    if (heading.isEmpty() || !headings().contains(heading)) {
        m_browser->verticalScrollBar()->setValue(0);
        return;
    }
    m_browser->scrollToAnchor(heading);
}

void CHelpWindow::followLink(const QUrl& url)
{
    if (url.scheme().isEmpty() && url.path().isEmpty() && url.hasFragment()) {
        m_browser->scrollToAnchor(url.fragment());
        return;
    }
    // Web pages open in the browser; the README's links to files of the
    // source tree lead nowhere outside it.
    if (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"))
        QDesktopServices::openUrl(url);
}

} // namespace tavrel
