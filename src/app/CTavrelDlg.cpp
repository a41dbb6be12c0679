// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CTavrelDlg.h"

#include "app/CAboutDlg.h"
#include "app/CHelpWindow.h"
#include "app/PanelSettings.h"
#include "app/ScriptPlayer.h"
#include "app/WindowPlacement.h"
#include "widgets/UiSeam.h"
#include "emulator/CardFolder.h"
#include "emulator/Emulator.h"
#include "emulator/window/EmulatorWindow.h"
#include "link/LostPortWatch.h"
#include "link/OpenLink.h"
#include "link/PixelCommands.h"
#include "link/PortCommands.h"
#include "link/PortNames.h"
#include "link/dialogs/CComPortSettingsDialog.h"
#include "link/dialogs/CPIxelDialog.h"
#include "commands/CommandTable.h"
#include "link/dialogs/CTrafficWindow.h"
#include "commands/TextCommands.h"
#include "commands/script/CommandArguments.h"
#include "commands/dialogs/TextDialogs.h"
#include "sdcard/SdCommands.h"
#include "sdcard/dialogs/CardDialogRunner.h"
#include "commands/DisplayControlCommands.h"
#include "commands/DrawingCommands.h"
#include "commands/dialogs/DisplayDialogRunner.h"
#include "commands/dialogs/DrawingDialogRunner.h"
#include "imaging/DisplayImageCommand.h"
#include "imaging/SlideshowCommand.h"
#include "imaging/dialogs/CUploadProgress.h"
#include "imaging/dialogs/PictureDialogRunner.h"
#include "imaging/dialogs/PictureDrops.h"
#include "widgets/CXColourPicker.h"
#include "widgets/DialogUnits.h"
#include "widgets/ElidingLabel.h"
#include "widgets/FittingScrollArea.h"
#include "widgets/PortStateLamp.h"

#include <QApplication>
#include <QButtonGroup>
#include <QContextMenuEvent>
#include <QDir>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>
#include <iterator>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

// The icon lives in the GUI library's resources; a static library needs them
// registered by name.
static void InitTavrelResources()
{
    Q_INIT_RESOURCE(tavrel);
}

namespace tavrel {

namespace {

const QString kAboutItem = QStringLiteral("&About Tavrel...");
const QString kTrafficItem = QStringLiteral("&Traffic History\u2026");
const QKeySequence kTrafficKey(Qt::CTRL | Qt::Key_T);
const QString kHelpItem = QStringLiteral("&Help");
const QKeySequence kHelpKey(Qt::Key_F1);
// The smallest the window gets to fit a screen: Quit and a short status
// window side by side, and a little of the controls.
constexpr QSize kSmallestPanelUnits(210, 120);
#ifdef Q_OS_WIN
constexpr unsigned kAboutCommand = 0x0010;
#endif

enum class Group {
    None,
    SerialPort,
    General,
    BasicDrawing,
    TextFunctions,
    Font,
    TextMode,
    Bitmap,
    DisplaySpecific,
    SdCard,
};

struct GroupEntry {
    Group group;
    Group parent;
    const char* title;
    const char* objectName;
    QRect units;  // dialog units, relative to the window
};

const GroupEntry kGroups[] = {
    {Group::SerialPort, Group::None, "Serial Port", "serialPortGroup", {6, 6, 162, 96}},
    {Group::General, Group::None, "General Functions", "generalFunctionsGroup", {174, 6, 222, 96}},
    {Group::BasicDrawing, Group::None, "Basic Drawing", "basicDrawingGroup", {6, 108, 258, 72}},
    {Group::TextFunctions, Group::None, "Text Functions", "textFunctionsGroup", {270, 108, 252, 72}},
    {Group::Font, Group::TextFunctions, "Font", "fontGroup", {372, 114, 78, 60}},
    {Group::TextMode, Group::TextFunctions, "Text Mode", "textModeGroup", {450, 114, 66, 60}},
    {Group::Bitmap, Group::None, "Bitmap Functions", "bitmapFunctionsGroup", {6, 186, 108, 90}},
    {Group::DisplaySpecific, Group::None, "Display Specific Commands", "displaySpecificGroup", {120, 186, 108, 90}},
    {Group::SdCard, Group::None, "SD Card Commands", "sdCardGroup", {234, 186, 294, 126}},
};

using Handler = void (CTavrelDlg::*)();

struct ButtonEntry {
    int id;
    const char* caption;  // also gives the object name: "Set Pixel" -> "setPixelButton"
    Group group;
    QRect units;  // dialog units, relative to the window
    Handler handler;  // null: the command of the table row with this caption
};

struct ToggleEntry {
    int id;
    const char* caption;
    const char* objectName;
    QRect units;
};

const ToggleEntry kFontButtons[] = {
    {1024, "0: 5x7", "font0Button", {390, 124, 42, 12}},
    {1025, "1: 8x8", "font1Button", {390, 136, 42, 12}},
    {1026, "2: 8x12", "font2Button", {390, 148, 42, 12}},
    {1027, "3: 16x32", "font3Button", {390, 160, 42, 12}},
};

const ToggleEntry kTextModeButtons[] = {
    {1028, "Transparent", "transparentButton", {456, 128, 54, 12}},
    {1029, "Opaque", "opaqueButton", {456, 144, 54, 12}},
};

QByteArray ButtonObjectName(const char* caption)
{
    QByteArray name;
    const QList<QByteArray> words = QByteArray(caption).split(' ');
    for (const QByteArray& word : words) {
        if (word.isEmpty())
            continue;
        name += name.isEmpty() ? word.left(1).toLower() : word.left(1).toUpper();
        name += word.mid(1);
    }
    return name + "Button";
}

void Identify(QWidget* widget, const char* objectName, int controlId)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    if (controlId != 0)
        widget->setProperty("controlId", controlId);
}

} // namespace

CTavrelDlg::CTavrelDlg(const PanelOptions& options, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_emulator(std::make_unique<quennel::Emulator>())
    , m_session(*this, MakeLinkOpener(m_emulator.get()))
{
    InitTavrelResources();
    setWindowTitle(tr("Quennel Control"));
    setWindowIcon(QIcon(QStringLiteral(":/tavrel.png")));

    buildControls();
    AcceptDroppedPictures(this);
    m_lostPortWatch = new LostPortWatch(m_session, this);
    connect(m_lostPortWatch, &LostPortWatch::watchingChanged, m_portLamp, &PortStateLamp::setWaiting);

    if (!options.settingsFile.isEmpty())
        m_settings = std::make_unique<PanelSettings>(options.settingsFile);
    // The port named at start, else the one used last time. A remembered
    // port that is not there now is only shown: nothing opens by itself.
    if (!options.portName.isEmpty()) {
        m_session.m_portName = options.portName;
    } else if (m_settings && !m_settings->portName().isEmpty()) {
        m_session.m_portName = m_settings->portName();
        bool number = false;
        if (m_settings->baudRate().toUInt(&number) > 0 && number)
            m_session.m_baudRate = m_settings->baudRate();
    }
    m_foreground->setColour(kWhite);
    m_background->setColour(kBlack);
    m_fontRadio->setChecked(true);
    m_session.m_fontIndex = 0;
    m_textModeRadio->setChecked(true);
    refreshPortLabel();
    connectRecording();

    // F1 opens the manual from any of the panel's windows and dialogs.
    qApp->installEventFilter(this);
    m_keepApartTimer = new QTimer(this);
    m_keepApartTimer->setSingleShot(true);
    m_keepApartTimer->setInterval(250);
    connect(m_keepApartTimer, &QTimer::timeout, this, &CTavrelDlg::keepCompanionsApart);
    if (m_settings) {
        PanelSettings* settings = m_settings.get();
        UiSeam::setFolderMemory({[settings](const QString& kind) { return settings->folder(kind); },
                                 [settings](const QString& kind, const QString& folder) {
                                     settings->setFolder(kind, folder);
                                 }});
        restorePanelPlace();
    }
    auto* traffic = new QShortcut(kTrafficKey, this);
    connect(traffic, &QShortcut::activated, this, &CTavrelDlg::showTrafficHistory);

    // The built-in module's SD card is a folder in the user's data folder,
    // made when a card command first needs it.
    m_emulator->setCardDirectory(quennel::defaultCardDirectory());

    if (options.showEmulatorWindow) {
        m_emulatorWindow = std::make_unique<quennel::EmulatorWindow>(m_emulator.get(), nullptr);
        m_emulatorWindow->setWindowFlag(Qt::Window, true);
        m_emulatorWindow->setSaveFramePathChooser([](QWidget* owner) {
            return UiSeam::getSaveFileName(owner, tr("Save Frame"), QString(),
                                           QStringLiteral("PNG Images (*.png);;All Files (*)"));
        });
    }

#ifdef Q_OS_WIN
    addAboutToSystemMenu();
#endif
}

CTavrelDlg::~CTavrelDlg()
{
    // Leaving the window any other way than Quit leaves the port's settings
    // as they are; the connection itself is let go without a word.
    m_session.dropPort();
    if (m_settings)
        UiSeam::setFolderMemory({});
}

void CTavrelDlg::buildControls()
{
    const DialogUnits units(font());
    // The command groups scroll where the screen is smaller than the
    // window; the status window and Quit stay in view under them.
    m_controlsArea = new QScrollArea(this);
    Identify(m_controlsArea, "controlsArea", 0);
    m_controlsArea->setFrameShape(QFrame::NoFrame);
    auto* controls = new QWidget(m_controlsArea);
    Identify(controls, "panelControls", 0);
    controls->setFixedSize(units.size(kPanelWidthUnits, kControlsHeightUnits));
    m_controlsArea->setWidget(controls);
    setMaximumSize(units.size(kPanelWidthUnits, kPanelHeightUnits));
    setMinimumSize(units.size(kSmallestPanelUnits.width(), kSmallestPanelUnits.height()));
    resize(maximumSize());

    // Controls are placed in window coordinates and re-based on their group.
    QHash<int, QGroupBox*> groups;
    QHash<int, QPoint> groupOrigins;
    auto place = [&](QWidget* widget, Group group, const QRect& dialogUnits) {
        QRect r = units.rect(dialogUnits.x(), dialogUnits.y(), dialogUnits.width(), dialogUnits.height());
        if (group != Group::None)
            r.translate(-groupOrigins.value(int(group)));
        widget->setGeometry(r);
    };
    auto parentFor = [&](Group group) -> QWidget* {
        return group == Group::None ? controls : groups.value(int(group));
    };

    m_quit = new QPushButton(tr("Quit"), this);
    Identify(m_quit, "quitButton", 1);
    m_quit->setDefault(true);
    connect(m_quit, &QPushButton::clicked, this, &CTavrelDlg::OnQuit);

    for (const GroupEntry& entry : kGroups) {
        auto* box = new QGroupBox(tr(entry.title), parentFor(entry.parent));
        Identify(box, entry.objectName, 0);
        const QRect r = units.rect(entry.units.x(), entry.units.y(), entry.units.width(), entry.units.height());
        groupOrigins.insert(int(entry.group), r.topLeft());
        place(box, entry.parent, entry.units);
        groups.insert(int(entry.group), box);
    }

    // Command buttons in tab order. Columns stand at 18 units pitch.
    using D = CTavrelDlg;
    static const ButtonEntry kButtons[] = {
        {1003, "Com Port Settings", Group::SerialPort, {14, 20, 70, 20}, &D::OnComPortSettings},
        {1004, "Open Port", Group::SerialPort, {14, 46, 70, 20}, &D::OnOpenPort},
        {1007, "Close Port", Group::SerialPort, {14, 72, 70, 20}, &D::OnClosePort},

        {1013, "Set Background Color", Group::General, {310, 18, 78, 17}, nullptr},
        {1012, "Clear Screen", Group::General, {310, 36, 78, 17}, nullptr},
        {1034, "Get Device Info", Group::General, {310, 54, 78, 17}, nullptr},
        {1035, "Oled Control Functions", Group::General, {310, 72, 78, 17}, nullptr},

        {1008, "Set Pixel", Group::BasicDrawing, {14, 120, 78, 17}, nullptr},
        {1009, "Draw Line", Group::BasicDrawing, {14, 138, 78, 17}, nullptr},
        {1033, "Draw Rectangle", Group::BasicDrawing, {14, 156, 78, 17}, nullptr},
        {1017, "Draw Triangle", Group::BasicDrawing, {96, 120, 78, 17}, nullptr},
        {1020, "Draw Circle", Group::BasicDrawing, {96, 138, 78, 17}, nullptr},
        {1032, "Draw Polygon", Group::BasicDrawing, {96, 156, 78, 17}, nullptr},
        {1019, "Set WireFrame Mode", Group::BasicDrawing, {178, 120, 78, 12}, nullptr},
        {1018, "Set Solid Mode", Group::BasicDrawing, {178, 136, 78, 12}, nullptr},
        {1014, "Read Pixel", Group::BasicDrawing, {178, 156, 78, 17}, nullptr},

        {1022, "Print Character", Group::TextFunctions, {278, 120, 78, 17}, nullptr},
        {1023, "Print Text String", Group::TextFunctions, {278, 138, 78, 17}, nullptr},
        {1031, "Text Button", Group::TextFunctions, {278, 156, 78, 17}, nullptr},

        {1016, "Add User Char", Group::Bitmap, {21, 200, 78, 17}, nullptr},
        {1015, "Display User Char", Group::Bitmap, {21, 218, 78, 17}, nullptr},
        {1030, "Display Image", Group::Bitmap, {21, 236, 78, 17}, nullptr},
        {1021, "Copy Area", Group::Bitmap, {21, 254, 78, 17}, nullptr},

        {1036, "Rotate Display", Group::DisplaySpecific, {135, 200, 78, 17}, nullptr},
        {1037, "Dim Area", Group::DisplaySpecific, {135, 218, 78, 17}, nullptr},
        {1038, "Scroll Control", Group::DisplaySpecific, {135, 236, 78, 17}, nullptr},
        {1039, "Write Command", Group::DisplaySpecific, {135, 254, 78, 17}, nullptr},

        {1041, "Show Bitmap", Group::SdCard, {245, 200, 78, 17}, nullptr},
        {1042, "Show Image", Group::SdCard, {245, 218, 78, 17}, nullptr},
        {1053, "Slideshow", Group::SdCard, {245, 236, 78, 17}, nullptr},
        {1046, "Print Screen", Group::SdCard, {245, 254, 78, 17}, nullptr},
        {1044, "Load Binary", Group::SdCard, {245, 272, 78, 17}, nullptr},
        {1045, "Load Norvel", Group::SdCard, {342, 200, 78, 17}, nullptr},
        {1043, "YModem Session", Group::SdCard, {342, 218, 78, 17}, nullptr},
        {1040, "View Directory", Group::SdCard, {342, 236, 78, 17}, nullptr},
        {1047, "Open File to Write", Group::SdCard, {342, 254, 78, 17}, nullptr},
        {1049, "Write to File", Group::SdCard, {342, 272, 78, 17}, nullptr},
        {1048, "Open File to Read", Group::SdCard, {439, 200, 78, 17}, nullptr},
        {1050, "Read from File", Group::SdCard, {439, 218, 78, 17}, nullptr},
        {1051, "Close File", Group::SdCard, {439, 236, 78, 17}, nullptr},
        {1052, "Erase File", Group::SdCard, {439, 254, 78, 17}, nullptr},
    };

    for (const ButtonEntry& entry : kButtons) {
        auto* button = new QPushButton(tr(entry.caption), parentFor(entry.group));
        Identify(button, ButtonObjectName(entry.caption).constData(), entry.id);
        place(button, entry.group, entry.units);
        if (entry.handler) {
            connect(button, &QPushButton::clicked, this,
                    [this, handler = entry.handler] { runButton([=] { (this->*handler)(); }); });
        } else if (const CommandInfo* command = FindCommandByCaption(QString::fromLatin1(entry.caption))) {
            connect(button, &QPushButton::clicked, this, [this, command] { runButton([=] { runCommand(*command); }); });
        }
    }

    // The lamp beside the port label shows whether the port is open; a long
    // device path is elided in the label's middle.
    m_portLamp = new PortStateLamp(parentFor(Group::SerialPort));
    Identify(m_portLamp, "portStateLamp", 0);
    place(m_portLamp, Group::SerialPort, {87, 26, 7, 7});
    m_portLabel = new ElidingLabel(parentFor(Group::SerialPort));
    Identify(m_portLabel, "portLabel", 1005);
    place(m_portLabel, Group::SerialPort, {96, 24, 70, 12});

    auto* note = new QLabel(tr("Note:  Be sure to \"Open\" your port before sending commands."),
                            parentFor(Group::SerialPort));
    Identify(note, "openPortNote", 0);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(note, Group::SerialPort, {92, 46, 72, 48});

    QWidget* general = parentFor(Group::General);
    auto* backgroundLabel = new QLabel(tr("Background Color:"), general);
    Identify(backgroundLabel, "backgroundColourLabel", 0);
    place(backgroundLabel, Group::General, {182, 24, 66, 10});
    m_background = new CXColourPicker(general);
    m_background->setText(tr("Background Color"));
    Identify(m_background, "backgroundColour", 1011);
    m_background->setAutoDefault(false);
    place(m_background, Group::General, {250, 20, 52, 18});
    backgroundLabel->setBuddy(m_background);

    auto* foregroundLabel = new QLabel(tr("Foreground Color:"), general);
    Identify(foregroundLabel, "foregroundColourLabel", 0);
    place(foregroundLabel, Group::General, {182, 50, 66, 10});
    m_foreground = new CXColourPicker(general);
    m_foreground->setText(tr("Foreground Color"));
    Identify(m_foreground, "foregroundColour", 1010);
    m_foreground->setAutoDefault(false);
    place(m_foreground, Group::General, {250, 46, 52, 18});
    foregroundLabel->setBuddy(m_foreground);

    // Font and text mode: push-like toggles, one checked per group.
    auto makeToggles = [&](const ToggleEntry* begin, const ToggleEntry* end, Group group) {
        auto* buttons = new QButtonGroup(this);
        buttons->setExclusive(true);
        int index = 0;
        for (const ToggleEntry* entry = begin; entry != end; ++entry, ++index) {
            auto* button = new QPushButton(tr(entry->caption), parentFor(group));
            Identify(button, entry->objectName, entry->id);
            button->setCheckable(true);
            button->setAutoDefault(false);
            place(button, group, entry->units);
            buttons->addButton(button, index);
        }
        return buttons;
    };
    m_fontGroup = makeToggles(std::begin(kFontButtons), std::end(kFontButtons), Group::Font);
    m_textModeGroup = makeToggles(std::begin(kTextModeButtons), std::end(kTextModeButtons), Group::TextMode);
    m_fontRadio = qobject_cast<QPushButton*>(m_fontGroup->button(0));
    m_textModeRadio = qobject_cast<QPushButton*>(m_textModeGroup->button(0));
    connect(m_fontGroup, &QButtonGroup::idClicked, this, [this](int id) { runButton([=] { OnFont(id); }); });
    connect(m_textModeGroup->button(0), &QAbstractButton::clicked, this, [this] { runButton([=] { OnTransparent(); }); });
    connect(m_textModeGroup->button(1), &QAbstractButton::clicked, this, [this] { runButton([=] { OnOpaque(); }); });

    m_statusLabel = new QLabel(tr("Status Window"), this);
    Identify(m_statusLabel, "statusWindowLabel", 0);

    m_status = new QPlainTextEdit(this);
    Identify(m_status, "statusWindow", 1006);
    m_status->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_status->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_status->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_status->setTabChangesFocus(true);
    layoutStatusStrip();

    // Tabbing reads the groups left to right, top to bottom, then the status
    // window and Quit; the first button has the focus at start.
    static const int kTabOrder[] = {
        1003, 1004, 1007, 1011, 1010, 1013, 1012, 1034, 1035,                    // Serial Port, General
        1008, 1009, 1033, 1017, 1020, 1032, 1019, 1018, 1014,                    // Basic Drawing
        1022, 1023, 1031, 1024, 1025, 1026, 1027, 1028, 1029,                    // Text Functions
        1016, 1015, 1030, 1021, 1036, 1037, 1038, 1039,                          // Bitmap, Display
        1041, 1042, 1053, 1046, 1044, 1045, 1043, 1040, 1047, 1049, 1048, 1050,  // SD Card
        1051, 1052, 1006, 1,
    };
    QHash<int, QWidget*> byId;
    for (QWidget* w : findChildren<QWidget*>())
        if (w->property("controlId").isValid())
            byId.insert(w->property("controlId").toInt(), w);
    for (size_t i = 1; i < std::size(kTabOrder); ++i)
        setTabOrder(byId.value(kTabOrder[i - 1]), byId.value(kTabOrder[i]));
}

void CTavrelDlg::runButton(const std::function<void()>& action)
{
    m_session.RunCommand([&action] {
        action();
        return CommandOutcome::Sent;
    });
    m_lostPortWatch->follow();
}

void CTavrelDlg::refreshPortLabel()
{
    // The device's own name (the end of its path) and the baud rate are
    // what tell two adapters apart: the folder goes first when it is narrow.
    const QString& port = m_session.m_portName;
    const int folderEnd = int(std::max(port.lastIndexOf(QLatin1Char('/')), port.lastIndexOf(QLatin1Char('\\'))));
    const int baudPart = int(m_session.portLabel().size() - port.size());
    m_portLabel->setFullText(m_session.portLabel(), int(port.size()) - folderEnd - 1 + baudPart, baudPart);
}

void CTavrelDlg::portOpenChanged(bool open)
{
    m_portLamp->setOpen(open);
    // A port reopened after a loss may have come back under another name.
    if (open)
        refreshPortLabel();
    // A port that opened is the one to offer next time.
    if (open && m_settings)
        m_settings->setPort(m_session.m_portName, m_session.m_baudRate);
}

QString CTavrelDlg::statusText() const
{
    QString text = m_status->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void CTavrelDlg::setStatusText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // The newest line comes into view, unless lines were only added to
    // what the user has scrolled up to read.
    QScrollBar* bar = m_status->verticalScrollBar();
    const QString before = m_status->toPlainText();
    const bool reading = bar->value() < bar->maximum() && shown.startsWith(before) && !before.isEmpty();
    const int readingAt = bar->value();
    m_status->setPlainText(shown);
    if (reading) {
        bar->setValue(readingAt);
    } else {
        m_status->moveCursor(QTextCursor::End);
        bar->setValue(bar->maximum());
        m_status->horizontalScrollBar()->setValue(0);
    }
}

HostColour CTavrelDlg::foregroundColour() const
{
    return m_foreground->colour();
}

void CTavrelDlg::setForegroundColour(HostColour colour)
{
    m_foreground->setColour(colour);
}

HostColour CTavrelDlg::backgroundColour() const
{
    return m_background->colour();
}

void CTavrelDlg::showMessage(const QString& text, const QString& caption)
{
    UiSeam::showMessage(this, text, caption);
}

namespace {

void SetField(DialogRequest& request, const QString& name, const QString& value)
{
    for (DialogField& field : request.fields) {
        if (field.name == name) {
            field.value = value;
            return;
        }
    }
    request.fields.push_back({name, value});
}

} // namespace

bool CTavrelDlg::runDialog(DialogRequest& request)
{
    if (m_scriptAnswers) {
        m_scriptAnswers->answer(request);
        return true;
    }
    if (!showDialog(request))
        return false;
    m_recorder.dialogAnswered(request);
    return true;
}

bool CTavrelDlg::showDialog(DialogRequest& request)
{
    switch (request.kind) {
    case DialogKind::Pixel: {
        CPIxelDialog dialog(this);
        dialog.m_x = request.value(QStringLiteral("x"));
        dialog.m_y = request.value(QStringLiteral("y"));
        if (dialog.exec() != QDialog::Accepted)
            return false;
        SetField(request, QStringLiteral("x"), dialog.m_x);
        SetField(request, QStringLiteral("y"), dialog.m_y);
        return true;
    }
    // Drawing dialogs
    case DialogKind::Line:
    case DialogKind::Triangle:
    case DialogKind::Circle:
    case DialogKind::Polygon:
    case DialogKind::CopyArea:
        return RunDrawingDialog(this, request);

    // Text dialogs and the character editor
    case DialogKind::TextCharacter:
    case DialogKind::PrintText:
    case DialogKind::TextButton:
    case DialogKind::DisplayCharacter:
    case DialogKind::UserCharacter:
    case DialogKind::FontChoice:
    case DialogKind::TextModeChoice:
        return RunTextDialog(this, request);

    // Display-control dialogs
    case DialogKind::RepeatDeviceInfo:
    case DialogKind::OledControl:
    case DialogKind::RotateDisplay:
    case DialogKind::DimArea:
    case DialogKind::Scroll:
    case DialogKind::WriteCommand:
        return RunDisplayDialog(this, request);

    // SD card dialogs
    case DialogKind::SdFilename:
    case DialogKind::SdFilenameAndOrigin:
    case DialogKind::SdWriteText:
    case DialogKind::SdReadCount:
    case DialogKind::SdYModem:
        return RunCardDialog(this, request);

    // Picture dialogs
    case DialogKind::DisplayImage:
    case DialogKind::Slideshow:
        return RunPictureDialog(this, request);
    }
    return false;
}

void CTavrelDlg::reportProgress(const QString& what, int done, int total)
{
    auto* progress = findChild<CUploadProgress*>();
    if (!progress)
        progress = new CUploadProgress(this, progressRect());
    progress->report(what, done, total);
    if (m_trafficWindow)
        m_trafficWindow->setTransferRunning(progress->isRunning());
}

void CTavrelDlg::showReceivedText(const QString& title, const QString& text)
{
    // A script run goes on by itself: what the module sent goes under the
    // command's lines in the status window instead of a box to click away.
    if (m_player && m_player->isRunning()) {
        QString received = text;
        received.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        setStatusText(statusText() + QStringLiteral("\r\n> %1\r\n").arg(title) + received);
        return;
    }
    ShowCardText(this, title, text);
}

void CTavrelDlg::showAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CTavrelDlg::showTrafficHistory()
{
    // Placed when first opened; afterwards it comes back where the user
    // left it.
    if (!m_trafficWindow) {
        m_trafficWindow = std::make_unique<CTrafficWindow>(m_session.traffic(), this);
        m_trafficWindow->setWindowIcon(windowIcon());
        if (!restoreWindowPlace(m_trafficWindow.get(), QStringLiteral("traffic"), true))
            placeTrafficWindow();
    }
    if (!m_trafficWindow->isVisible()) {
        m_trafficWindow->syncNow();
        m_trafficWindow->show();
    }
    m_trafficWindow->raise();
    m_trafficWindow->activateWindow();
}

void CTavrelDlg::placeTrafficWindow()
{
    const QScreen* s = screen();
    if (!s)
        return;
    // Beside the panel and the emulator's window; a smaller window where the
    // screen has no room for the usual size.
    const int gap = 8;
    const QRect available = s->availableGeometry();
    const QSize frameMargins = FrameExtra(this);
    QVector<QRect> others;
    if (m_emulatorWindow && m_emulatorWindow->isVisible())
        others << m_emulatorWindow->frameGeometry();
    // Lower first, down to a third of the height, then also narrower: its
    // lines are long, so width counts for more than height.
    const QSize wanted = m_trafficWindow->size().boundedTo(available.size() - frameMargins);
    for (const int widthPercent : {100, 80, 60}) {
        for (const int heightPercent : {100, 85, 70, 55, 45, 35}) {
            const QSize size =
                QSize(wanted.width() * widthPercent / 100, wanted.height() * heightPercent / 100)
                    .expandedTo(m_trafficWindow->minimumSizeHint());
            const WindowPlace place = PlaceBesideWindows(frameGeometry(), others, size + frameMargins, available, gap);
            if (place.clear) {
                m_placingWindows = true;
                m_trafficWindow->resize(size);
                m_trafficWindow->move(place.topLeft);
                m_placingWindows = false;
                return;
            }
        }
    }
    // No room beside them: over the panel, where it hides the fewest of its
    // controls, at a size that still shows a good many lines.
    placeTrafficOverPanel(QSize(wanted.width() * 70 / 100, wanted.height() * 55 / 100)
                              .expandedTo(m_trafficWindow->minimumSizeHint()));
}

void CTavrelDlg::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        fitToScreen();
    QDialog::showEvent(event);
    // The frame geometry is known only once the window system has placed us.
    QTimer::singleShot(0, this, [this] {
        fitToScreen();
        updateEmulatorWindow();
    });
}

void CTavrelDlg::hideEvent(QHideEvent* event)
{
    rememberWindowPlaces();
    QDialog::hideEvent(event);
    if (m_help)
        m_help->hide();
    if (m_emulatorWindow)
        m_emulatorWindow->hide();
    if (m_trafficWindow)
        m_trafficWindow->hide();
}

void CTavrelDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* about = menu.addAction(kAboutItem);
    about->setObjectName(QStringLiteral("aboutAction"));
    QAction* traffic = menu.addAction(kTrafficItem);
    traffic->setObjectName(QStringLiteral("trafficHistoryAction"));
    traffic->setShortcut(kTrafficKey);
    QAction* help = menu.addAction(kHelpItem);
    help->setObjectName(QStringLiteral("helpAction"));
    help->setShortcut(kHelpKey);
    addScriptActions(menu);
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == about)
        showAbout();
    else if (chosen == traffic)
        showTrafficHistory();
    else if (chosen == help)
        showHelp(helpSectionFor(this), this);
}

void CTavrelDlg::updateEmulatorWindow()
{
    if (!m_emulatorWindow)
        return;
    const bool wanted = isVisible() && IsEmulatorPortName(m_session.m_portName);
    if (!wanted) {
        // The panel may have been made narrower to make room for it.
        if (m_emulatorWindow->isVisible() && isVisible())
            fitToScreen();
        m_emulatorWindow->hide();
        return;
    }
    if (m_emulatorWindow->isVisible())
        return;
    const QScreen* s = screen();
    if (!s) {
        m_emulatorWindow->show();
        return;
    }
    // Where it stood last time, if that is on the screen and off the panel.
    if (m_settings && m_settings->emulatorScale() > 0) {
        m_emulatorWindow->setScale(m_settings->emulatorScale());
        m_emulatorWindow->adjustSize();
        if (restoreWindowPlace(m_emulatorWindow.get(), QStringLiteral("emulator"), false)
            && !m_emulatorWindow->frameGeometry().intersects(frameGeometry())) {
            m_emulatorWindow->show();
            return;
        }
    }
    // Beside the panel at the full scale if the screen has room, making room
    // by moving the panel left if that is enough, else at a smaller scale,
    // else by making the panel narrower (its controls scroll): the display
    // never covers the panel's buttons. Only a screen too small even for
    // that has it over the panel's emptiest corner.
    const int gap = 8;
    const int smallestScale = 2;
    const QRect available = s->availableGeometry();
    const QSize frameMargins = FrameExtra(this);
    QRect panel = frameGeometry();
    // Nor over the traffic window, when that is open already.
    QVector<QRect> others;
    if (m_trafficWindow && m_trafficWindow->isVisible())
        others << m_trafficWindow->frameGeometry();
    WindowPlace place;
    for (int scale = quennel::EmulatorWindow::kDefaultScale; scale >= smallestScale; --scale) {
        m_emulatorWindow->setScale(scale);
        m_emulatorWindow->adjustSize();
        const QSize frame = m_emulatorWindow->size() + frameMargins;
        place = PlaceBesideWindows(panel, others, frame, available, gap);
        if (place.clear)
            break;
        const QPoint roomy = PanelPositionMakingRoom(panel, frame, available, gap);
        if (roomy != panel.topLeft()) {
            panel.moveTopLeft(roomy);
            move(roomy);
            place = PlaceBesideWindows(panel, others, frame, available, gap);
            break;
        }
    }
    if (!place.clear) {
        const QSize frame = m_emulatorWindow->size() + frameMargins;
        const int narrower = available.width() - gap - frame.width() - frameMargins.width();
        if (narrower >= minimumWidth() && frame.height() <= available.height()) {
            resize(narrower, height());
            const QSize panelFrame = QSize(narrower, height()) + frameMargins;
            const int top = qMax(available.top(), qMin(panel.top(), available.bottom() + 1 - panelFrame.height()));
            panel = QRect(QPoint(available.left(), top), panelFrame);
            move(panel.topLeft());
            place = PlaceBesideWindows(panel, others, frame, available, gap);
        }
    }
    m_placingWindows = true;
    m_emulatorWindow->move(place.topLeft);
    m_emulatorWindow->show();
    m_placingWindows = false;
}

QString CTavrelDlg::workUnderWay() const
{
    QStringList under;
    if (m_recorder.isRecording())
        under << tr("A script is being recorded into %1.").arg(QDir::toNativeSeparators(m_recorder.name()));
    if (m_player && m_player->isRunning())
        under << tr("A script is running.");
    const auto* progress = findChild<CUploadProgress*>();
    if (progress && progress->isRunning())
        under << tr("A transfer to the module is under way.");
    return under.join(QLatin1Char(' '));
}

void CTavrelDlg::reject()
{
    const QString under = workUnderWay();
    if (!under.isEmpty()
        && UiSeam::askYesNo(this, tr("%1\n\nQuit all the same?").arg(under), windowTitle()) != UiSeam::Answer::Yes)
        return;
    if (m_player)
        m_player->reject();
    // Every line recorded so far is in the file already.
    m_recorder.stop();
    QDialog::reject();
}

void CTavrelDlg::OnQuit()
{
    m_session.CloseComPort();
    accept();
}

void CTavrelDlg::OnComPortSettings()
{
    CComPortSettingsDialog dialog(this);
    dialog.m_baudRate = m_session.m_baudRate;
    dialog.m_portName = m_session.m_portName;
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_session.choosePort(dialog.m_portName, dialog.m_baudRate);
    if (m_settings)
        m_settings->setPort(m_session.m_portName, m_session.m_baudRate);
    refreshPortLabel();
    updateEmulatorWindow();
}

void CTavrelDlg::OnOpenPort()
{
    OpenPort(m_session);
}

void CTavrelDlg::OnClosePort()
{
    ClosePort(m_session);
}

void CTavrelDlg::OnFont(int fontIndex)
{
    m_session.m_fontIndex = fontIndex;
    OnSetFont();
}

void CTavrelDlg::OnSetFont()
{
    sendRecorded([this] { return SendSetFont(m_session, m_session.m_fontIndex); },
                 {CliName(QStringLiteral("Set Font")), QString::number(m_session.m_fontIndex)});
}

void CTavrelDlg::OnTransparent()
{
    sendRecorded([this] { return SendSetFontMode(m_session, 0); },
                 {CliName(QStringLiteral("Set Font Mode")), QStringLiteral("0")});
}

void CTavrelDlg::OnOpaque()
{
    sendRecorded([this] { return SendSetFontMode(m_session, 1); },
                 {CliName(QStringLiteral("Set Font Mode")), QStringLiteral("1")});
}


#ifdef Q_OS_WIN
void CTavrelDlg::addAboutToSystemMenu()
{
    HMENU menu = ::GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE);
    if (!menu)
        return;
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kAboutCommand, reinterpret_cast<LPCWSTR>(kAboutItem.utf16()));
}

bool CTavrelDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    const MSG* msg = static_cast<const MSG*>(message);
    const bool about = eventType == "windows_generic_MSG" && msg->message == WM_SYSCOMMAND
        && (msg->wParam & 0xFFF0) == kAboutCommand;
    if (about) {
        showAbout();
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

} // namespace tavrel
