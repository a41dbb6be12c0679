// SPDX-License-Identifier: GPL-3.0-or-later
// The traffic history window of the panel: how it is opened, what its rows
// show, following new entries (and not while the user reads further up),
// Copy, Clear and Save through the UI seam, and staying usable during an
// upload.

#include "app/CTavrelDlg.h"
#include "imaging/DisplayImageCommand.h"
#include "link/TrafficHistory.h"
#include "link/TrafficLine.h"
#include "link/dialogs/CTrafficWindow.h"
#include "link/dialogs/TrafficTableModel.h"
#include "support/OpenPanel.h"
#include "support/UiSeamRecorder.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

QTreeView* View(CTrafficWindow* window)
{
    return window->findChild<QTreeView*>(QStringLiteral("trafficView"));
}

QString Cell(CTrafficWindow* window, int row, int column)
{
    QAbstractItemModel* model = View(window)->model();
    return model->index(row, column).data().toString();
}

QString LastCell(CTrafficWindow* window, int column)
{
    return Cell(window, View(window)->model()->rowCount() - 1, column);
}

void Click(QWidget* parent, const char* name)
{
    QTest::mouseClick(parent->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
}

// Answers the Save dialog of the UI seam with a fixed path, for the
// lifetime of the object.
class SavePathAnswer {
public:
    explicit SavePathAnswer(const QString& path)
    {
        m_previous = UiSeam::setSaveFileNameHandler([this, path](QWidget*, const QString&, const QString&,
                                                                 const QString&) {
            ++asked;
            return path;
        });
    }
    ~SavePathAnswer() { UiSeam::setSaveFileNameHandler(std::move(m_previous)); }
    int asked = 0;

private:
    UiSeam::FileNameHandler m_previous;
};

// Writes so many one-byte packets through the panel's session.
void SendPackets(CTavrelDlg& panel, int count)
{
    for (int i = 0; i < count; ++i)
        panel.session().WritePacket(QByteArray(1, char(0x45)), QStringLiteral("Erase Screen"));
}

} // namespace

class TestTrafficWindow : public QObject {
    Q_OBJECT
private slots:
    void opensFromTheContextMenuAndTheShortcut()
    {
        OpenPanel rig;
        CTavrelDlg& panel = rig.panel;
        QStringList items;
        QTimer menuAnswer;
        menuAnswer.setInterval(10);
        connect(&menuAnswer, &QTimer::timeout, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            menuAnswer.stop();
            for (QAction* action : menu->actions())
                items << action->text();
            menu->setActiveAction(menu->actions().value(1));
            QTest::keyClick(menu, Qt::Key_Return);
        });
        menuAnswer.start();
        const QPoint at(4, 4);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, panel.mapToGlobal(at));
        QApplication::sendEvent(&panel, &event);
        QCOMPARE(items.mid(0, 2), (QStringList{"&About Tavrel...", "&Traffic History\u2026"}));

        CTrafficWindow* window = panel.trafficWindow();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QVERIFY(window->isWindow());
        QVERIFY(!window->isModal());
        QCOMPARE(window->windowTitle(), QStringLiteral("Traffic History"));

        window->close();
        QVERIFY(!window->isVisible());
        panel.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        QTest::keyClick(&panel, Qt::Key_T, Qt::ControlModifier);
        QVERIFY(window->isVisible());
        QCOMPARE(panel.trafficWindow(), window);  // the same window, with the same history
    }

    void rowsShowTheEntries()
    {
        OpenPanel rig;
        CTavrelDlg& panel = rig.panel;
        panel.showTrafficHistory();
        CTrafficWindow* window = panel.trafficWindow();
        rig.click(QStringLiteral("clearScreenButton"));
        window->syncNow();

        QTreeView* view = View(window);
        QAbstractItemModel* model = view->model();
        QCOMPARE(model->rowCount(), 4);  // opened, purged, sent, received
        QCOMPARE(Cell(window, 0, TrafficTableModel::LabelColumn), "Port opened: " + panel.session().portLabel());
        QCOMPARE(Cell(window, 2, TrafficTableModel::DirectionColumn), QStringLiteral("->"));
        QCOMPARE(Cell(window, 2, TrafficTableModel::LabelColumn), QStringLiteral("Erase Screen"));
        QCOMPARE(Cell(window, 2, TrafficTableModel::HexColumn), QStringLiteral("45"));
        QCOMPARE(Cell(window, 2, TrafficTableModel::AsciiColumn), QStringLiteral("E"));
        QCOMPARE(Cell(window, 3, TrafficTableModel::DirectionColumn), QStringLiteral("<-"));
        QCOMPARE(Cell(window, 3, TrafficTableModel::LabelColumn), QStringLiteral("Command Acknowledged"));
        QCOMPARE(Cell(window, 3, TrafficTableModel::HexColumn), QStringLiteral("06"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}$"))
                    .match(Cell(window, 3, TrafficTableModel::TimeColumn))
                    .hasMatch());
        QVERIFY(Cell(window, 3, TrafficTableModel::SinceOpenColumn).startsWith(QLatin1Char('+')));

        // Sent and received in colours of their own, the events in a third.
        auto colour = [&](int row) { return model->index(row, 0).data(Qt::ForegroundRole).value<QColor>(); };
        QVERIFY(colour(2) != colour(3));
        QVERIFY(colour(1) != colour(2) && colour(1) != colour(3));

        // Long entries show their first bytes and say how many more there are.
        panel.session().WritePacket(QByteArray(100, 'x'), QStringLiteral("Long"));
        window->syncNow();
        QVERIFY2(LastCell(window, TrafficTableModel::HexColumn).endsWith(QStringLiteral("(+36 bytes)")),
                 qPrintable(LastCell(window, TrafficTableModel::HexColumn)));
    }

    void followsNewEntriesUnlessScrolledUp()
    {
        OpenPanel rig;
        CTavrelDlg& panel = rig.panel;
        panel.showTrafficHistory();
        CTrafficWindow* window = panel.trafficWindow();
        QTreeView* view = View(window);
        QScrollBar* bar = view->verticalScrollBar();

        SendPackets(panel, 200);
        window->syncNow();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());

        // The user scrolls up: new entries do not move the view.
        bar->setValue(100);
        const QModelIndex topBefore = view->indexAt(QPoint(4, 4));
        SendPackets(panel, 50);
        window->syncNow();
        QCOMPARE(bar->value(), 100);
        QCOMPARE(view->indexAt(QPoint(4, 4)), topBefore);

        // Old entries dropping off the top do not move it either.
        const TrafficTableModel* model = static_cast<TrafficTableModel*>(view->model());
        const qint64 topSequence = model->sequenceAt(view->indexAt(QPoint(4, 4)).row());
        panel.session().traffic().setLimits(240, TrafficHistory::kDefaultMaxMemoryBytes);
        SendPackets(panel, 5);
        window->syncNow();
        QCOMPARE(model->sequenceAt(view->indexAt(QPoint(4, 4)).row()), topSequence);

        // Back at the end, it follows again.
        bar->setValue(bar->maximum());
        SendPackets(panel, 30);
        window->syncNow();
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(LastCell(window, TrafficTableModel::LabelColumn), QStringLiteral("Erase Screen"));
    }

    // Following depends only on whether the newest entry is in view, also
    // when the list starts empty and grows past the window a few at a time.
    void followsFromAnEmptyList_data()
    {
        QTest::addColumn<bool>("afterClear");
        QTest::newRow("fresh window") << false;
        QTest::newRow("after Clear") << true;
    }

    void followsFromAnEmptyList()
    {
        QFETCH(bool, afterClear);
        OpenPanel rig;
        CTavrelDlg& panel = rig.panel;
        if (!afterClear)
            panel.session().traffic().clear();
        panel.showTrafficHistory();
        CTrafficWindow* window = panel.trafficWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTreeView* view = View(window);
        if (afterClear) {
            SendPackets(panel, 300);
            window->syncNow();
            view->verticalScrollBar()->setValue(10);  // reading further up, then Clear
            Click(window, "clearButton");
        }
        QCOMPARE(view->model()->rowCount(), 0);
        auto newestShown = [&] {
            const QRect newest = view->visualRect(view->model()->index(view->model()->rowCount() - 1, 0));
            return view->viewport()->rect().intersects(newest);
        };
        for (int batch = 0; batch < 25; ++batch) {
            SendPackets(panel, 4);
            window->syncNow();
            QVERIFY2(newestShown(), qPrintable(QStringLiteral("batch %1, %2 rows").arg(batch).arg(
                                        view->model()->rowCount())));
        }
        QVERIFY(view->verticalScrollBar()->maximum() > 0);
    }

    void entriesArriveWithoutBeingAskedFor()
    {
        OpenPanel rig;
        rig.panel.showTrafficHistory();
        CTrafficWindow* window = rig.panel.trafficWindow();
        const int before = View(window)->model()->rowCount();
        rig.click(QStringLiteral("clearScreenButton"));
        QTRY_COMPARE(View(window)->model()->rowCount(), before + 2);
    }

    void copyAndClear()
    {
        OpenPanel rig;
        CTavrelDlg& panel = rig.panel;
        panel.showTrafficHistory();
        CTrafficWindow* window = panel.trafficWindow();
        rig.click(QStringLiteral("clearScreenButton"));
        window->syncNow();
        const TrafficHistory& history = panel.session().traffic();

        Click(window, "copyButton");
        QCOMPARE(QGuiApplication::clipboard()->text(), FormatTrafficLines(history, 0, history.committedEnd()));

        QTreeView* view = View(window);
        view->selectionModel()->select(view->model()->index(3, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view->selectionModel()->select(view->model()->index(2, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        Click(window, "copyButton");
        QCOMPARE(QGuiApplication::clipboard()->text(), FormatTrafficLines(history, 2, 4));

        Click(window, "clearButton");
        QCOMPARE(view->model()->rowCount(), 0);
        QCOMPARE(history.size(), 0);
        rig.click(QStringLiteral("clearScreenButton"));
        window->syncNow();
        QCOMPARE(view->model()->rowCount(), 2);
        QCOMPARE(Cell(window, 0, TrafficTableModel::LabelColumn), QStringLiteral("Erase Screen"));
    }

    void savesTheLinesThroughTheSeam()
    {
        OpenPanel rig;
        CTavrelDlg& panel = rig.panel;
        panel.showTrafficHistory();
        CTrafficWindow* window = panel.trafficWindow();
        rig.click(QStringLiteral("clearScreenButton"));
        const TrafficHistory& history = panel.session().traffic();

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("traffic.txt"));
        UiSeamRecorder messages;
        {
            SavePathAnswer answer(path);
            Click(window, "saveButton");
            QCOMPARE(answer.asked, 1);
        }
        QCOMPARE(messages.messages, QStringList());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), FormatTrafficLines(history, 0, history.committedEnd()));
        QVERIFY(window->findChild<QLabel*>(QStringLiteral("trafficCount"))->text().contains(path));

        // A file that cannot be written: the reason is shown, nothing is made.
        const QString nowhere = dir.filePath(QStringLiteral("missing/traffic.txt"));
        {
            SavePathAnswer answer(nowhere);
            Click(window, "saveButton");
        }
        QCOMPARE(messages.messages.size(), 1);
        QVERIFY2(messages.messages.first().startsWith(QStringLiteral("Tavrel|The traffic history could not be saved to ")
                                                      + nowhere + QStringLiteral(": ")),
                 qPrintable(messages.messages.first()));
        QVERIFY(!QFile::exists(nowhere));

        // Cancelled: nothing happens.
        {
            SavePathAnswer answer{QString()};
            Click(window, "saveButton");
        }
        QCOMPARE(messages.messages.size(), 1);
    }

    // The upload takes no input on the panel, but the traffic window keeps
    // showing rows as they go out and keeps its buttons; Save waits.
    void staysUsableDuringAnUpload()
    {
        OpenPanel rig;
        CTavrelDlg& panel = rig.panel;
        panel.showTrafficHistory();
        CTrafficWindow* window = panel.trafficWindow();
        QAbstractItemModel* model = View(window)->model();
        QPushButton* save = window->findChild<QPushButton*>(QStringLiteral("saveButton"));

        int rowsSeenDuringUpload = 0;
        bool saveWasEnabled = true;
        QString copiedDuringUpload;
        QTimer watcher;
        watcher.setInterval(5);
        connect(&watcher, &QTimer::timeout, [&] {
            const int rows = model->rowCount();
            if (rows > 2 && rowsSeenDuringUpload == 0) {
                rowsSeenDuringUpload = rows;
                saveWasEnabled = save->isEnabled();
                Click(window, "copyButton");
                copiedDuringUpload = QGuiApplication::clipboard()->text();
            }
        });
        watcher.start();
        QImage picture(4, 12, QImage::Format_RGB888);
        picture.fill(Qt::white);
        QCOMPARE(SendDisplayImage(panel.session(), QStringLiteral("0"), QStringLiteral("0"), picture, 16),
                 CommandOutcome::Sent);
        watcher.stop();

        QVERIFY2(rowsSeenDuringUpload > 2, "no rows appeared while the upload ran");
        QVERIFY(rowsSeenDuringUpload < 2 + 1 + 12 + 1);
        QVERIFY(!saveWasEnabled);
        QVERIFY2(copiedDuringUpload.contains(QStringLiteral("\t->\tDisplay Image\t49 00 00 04 0C 10\t")),
                 qPrintable(copiedDuringUpload));
        QVERIFY(save->isEnabled());
        window->syncNow();
        QCOMPARE(model->rowCount(), 2 + 1 + 12 + 1);  // open, purge, header, 12 rows, acknowledgement
    }

    void closesWithThePanel()
    {
        auto rig = std::make_unique<OpenPanel>();
        rig->panel.showTrafficHistory();
        QPointer<CTrafficWindow> window = rig->panel.trafficWindow();
        rig->panel.hide();
        QVERIFY(!window->isVisible());
        rig.reset();
        QVERIFY(window.isNull());
    }
};

QTEST_MAIN(TestTrafficWindow)
#include "tst_traffic_window.moc"
