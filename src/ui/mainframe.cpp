#include "ui/mainframe.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

#include <cstdio>

#include "tracks/profilestore.h"
#include "ui/commandids.h"
#include "ui/folderfilesview.h"
#include "ui/folderpane.h"
#include "ui/sonvaradoc.h"
#include "ui/tracklistview.h"

// The command pictures live in a resource of this static library.
static void InitIconResource() {
    Q_INIT_RESOURCE(icons);
}

namespace sonvara {

namespace {
constexpr const char* kPlacementSection = "Main Frame";
constexpr const char* kBarStateSection = "Main Frame/BarState";
constexpr const char* kSplitterSection = "Splitter";

QString Plain(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("&&"), QLatin1String("\x01"));
    out.remove(QLatin1Char('&'));
    out.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    if (out.endsWith(QLatin1String("..."))) {
        out.chop(3);
    }
    return out;
}

int FourDigits(const std::string& text, std::size_t at) {
    if (text.size() <= at) {
        return 0;
    }
    return std::atoi(text.substr(at, 4).c_str());
}
}  // namespace

CMainFrame::CMainFrame(CSonvaraDoc& doc, IProfileStore& profile, CFileIconCache& icons,
                       QWidget* parent)
    : QMainWindow(parent), m_Doc(doc), m_Profile(profile), m_Icons(icons) {
    InitIconResource();
    setObjectName("MainFrame");
    setWindowTitle(tr("Velmora Sonvara 2.0"));
    setAccessibleName(tr("Velmora Sonvara 2.0"));
    BuildClient();
    BuildActions();
    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    m_Doc.SetDialogParent(this);
    m_Doc.SetStopPlayback([this] { m_SelectedView->StopPlaying(); });
    connect(&m_Doc, &CSonvaraDoc::tracksChanged, this, &CMainFrame::UpdateCommandUI);
    m_FocusConnection = connect(qApp, &QApplication::focusChanged, this,
                                [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
    qApp->installEventFilter(this);
    m_ActivePane = m_SelectedView;
    m_SelectedView->OnInitialUpdate();
    m_TreeView->Tree()->Initialise();
    UpdateCommandUI();
    resize(900, 600);
}

CMainFrame::~CMainFrame() {
    disconnect(m_FocusConnection);
    qApp->removeEventFilter(this);
    if (!m_Saved) {
        SaveLeftPaneSizes();
        SavePlacement();
        m_SelectedView->SaveColumnWidths();
    }
}

void CMainFrame::BuildClient() {
    m_MainSplitter = new QSplitter(Qt::Horizontal, this);
    m_MainSplitter->setObjectName("SplitterMain");
    m_MainSplitter->setAccessibleName(tr("Main splitter"));
    m_MainSplitter->setHandleWidth(kGap);
    m_MainSplitter->setChildrenCollapsible(false);
    m_LeftSplitter = new QSplitter(Qt::Vertical, m_MainSplitter);
    m_LeftSplitter->setObjectName("SplitterLeft");
    m_LeftSplitter->setAccessibleName(tr("Left splitter"));
    m_LeftSplitter->setHandleWidth(kGap);
    m_LeftSplitter->setChildrenCollapsible(false);
    m_LeftSplitter->setMinimumWidth(kLeftMinWidth);

    m_TreeView = new CTreeView1(m_Doc, &m_Profile, m_Icons, m_LeftSplitter);
    m_TreeView->setMinimumHeight(kPaneMinHeight);
    m_FilesView = new CListTracksView(m_Doc, m_Icons, m_LeftSplitter);
    m_FilesView->setMinimumHeight(kPaneMinHeight);
    m_LeftSplitter->addWidget(m_TreeView);
    m_LeftSplitter->addWidget(m_FilesView);

    m_SelectedView = new CListSelectedTracksListView(m_Doc, m_Icons, m_MainSplitter);
    m_SelectedView->setMinimumWidth(kRightMinWidth);
    m_SelectedView->SetProfile(&m_Profile);
    m_SelectedView->SetUniqueName(CListSelectedTracksListView::kWidthName);
    m_MainSplitter->addWidget(m_LeftSplitter);
    m_MainSplitter->addWidget(m_SelectedView);
    // Tab walks the panes in reading order; F6 and Shift+F6 do too (BuildPaneKeys).
    setTabOrder(m_TreeView->Tree(), m_FilesView);
    setTabOrder(m_FilesView, m_SelectedView);
    m_MainSplitter->setStretchFactor(0, 0);
    m_MainSplitter->setStretchFactor(1, 1);
    m_LeftSplitter->setStretchFactor(0, 0);
    m_LeftSplitter->setStretchFactor(1, 1);
    setCentralWidget(m_MainSplitter);

    m_TreeView->SetRouter(this);
    m_FilesView->SetRouter(this);
    m_SelectedView->SetRouter(this);
    connect(m_SelectedView, &CListSelectedTracksListView::countersChanged, this,
            &CMainFrame::SetCounters);
    connect(m_SelectedView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CMainFrame::UpdateCommandUI);
}

QAction* CMainFrame::MakeAction(int id, const QString& text, const QString& icon,
                                const QKeySequence& key) {
    auto* action = new QAction(text, this);
    action->setObjectName(QStringLiteral("cmd%1").arg(id));
    action->setData(id);
    if (!icon.isEmpty()) {
        QIcon picture;
        picture.addFile(QStringLiteral(":/icons/%1.svg").arg(icon), QSize(16, 16));
        picture.addFile(QStringLiteral(":/icons/%1.svg").arg(icon), QSize(48, 48));
        action->setIcon(picture);
    }
    if (!key.isEmpty()) {
        action->setShortcut(key);
    }
    action->setStatusTip(Plain(text));
    action->setToolTip(Plain(text));
    action->setWhatsThis(Plain(text));
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    m_Actions.insert(id, action);
    addAction(action);  // the accelerator works wherever the focus is in the window
    return action;
}

void CMainFrame::BuildActions() {
    using namespace cmd;
    MakeAction(kSaveResults, tr("&Save Analysis Results..."), "save-results",
               QKeySequence("Ctrl+S"));
    MakeAction(kMoveCorrupt, tr("&Move && Save Corrupt Files..."), "move-corrupt",
               QKeySequence("Ctrl+L"));
    MakeAction(kExit, tr("E&xit"));
    MakeAction(kAnalyze, tr("&Analyze..."), "analyze", QKeySequence("Ctrl+O"));
    MakeAction(kMp3ToWav, tr("&Convert MP3 -> WAV..."), "mp3-to-wav", QKeySequence("Ctrl+W"));
    MakeAction(kWavToMp3, tr("C&onvert WAV -> MP3..."), "wav-to-mp3", QKeySequence("Ctrl+M"));
    MakeAction(kMp3ToMp3, tr("C&onvert MP3 -> MP3..."), "mp3-to-mp3", QKeySequence("Ctrl+P"));
    MakeAction(kRepair, tr("&Repair Corrupt Files..."));
    MakeAction(kMeasureLoudness, tr("Measure &Loudness..."));
    MakeAction(kWriteReplayGain, tr("Write &ReplayGain Tags..."));
    MakeAction(kEditTags, tr("&Edit ID3-Tags"), "edit-tags", QKeySequence("Alt+I"));
    MakeAction(kAddTracks, tr("Add &Tracks"), "add-tracks", QKeySequence("Alt+T"));
    MakeAction(kRemoveTracks, tr("&Remove Tracks"), "remove-tracks");
    MakeAction(kPlayTrack, tr("&Play Track"), "play-track", QKeySequence("Alt+P"));
    MakeAction(kStopPlaying, tr("&Stop Playing"), "stop-playing", QKeySequence("Alt+S"));
    MakeAction(kSettings, tr("&Settings"));
    MakeAction(kViewToolbar, tr("&Toolbar"))->setCheckable(true);
    MakeAction(kViewStatusBar, tr("&Status Bar"))->setCheckable(true);
    MakeAction(kHelpContents, tr("&Contents"));
    MakeAction(kAbout, tr("&About..."));
    MakeAction(kNewDocument, tr("New"), {}, QKeySequence("Ctrl+N"));
    BuildPaneKeys();
    m_Actions[kViewToolbar]->setChecked(true);
    m_Actions[kViewStatusBar]->setChecked(true);
    for (QAction* action : m_Actions) {
        action->setShortcutContext(Qt::WindowShortcut);
    }
}

void CMainFrame::BuildMenus() {
    using namespace cmd;
    QMenuBar* bar = menuBar();
    bar->setAccessibleName(tr("Menu bar"));
    const auto menu = [&](const QString& title, std::initializer_list<int> ids) {
        QMenu* m = bar->addMenu(title);
        m->setAccessibleName(Plain(title));
        m->setObjectName(QStringLiteral("menu") + Plain(title).remove(QLatin1Char(' ')));
        for (int id : ids) {
            m->addAction(m_Actions[id]);
        }
        connect(m, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
        return m;
    };
    menu(tr("&File"), {kSaveResults, kMoveCorrupt});
    bar->actions().back()->menu()->addSeparator();
    bar->actions().back()->menu()->addAction(m_Actions[kExit]);
    menu(tr("&Sonvara"), {kAnalyze, kMp3ToWav, kWavToMp3, kMp3ToMp3, kRepair});
    bar->actions().back()->menu()->addSeparator();
    bar->actions().back()->menu()->addActions(
        {m_Actions[kMeasureLoudness], m_Actions[kWriteReplayGain]});
    menu(tr("&Edit"), {kEditTags, kAddTracks, kRemoveTracks, kPlayTrack, kStopPlaying});
    menu(tr("&Options"), {kSettings});
    BuildSortMenu(menu(tr("&View"), {kViewToolbar, kViewStatusBar}));
    menu(tr("&Help"), {kHelpContents});
    bar->actions().back()->menu()->addSeparator();
    bar->actions().back()->menu()->addAction(m_Actions[kAbout]);

    // An accelerator that is also a menu title's mnemonic (Alt+S: "&Sonvara") runs its command,
    // as accelerators come before menu mnemonics.
    for (QAction* title : bar->actions()) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(title->text());
        for (QAction* action : m_Actions) {
            if (!mnemonic.isEmpty() && action->shortcut() == mnemonic) {
                m_ClashingKeys.insert(mnemonic[0].toCombined(), action->data().toInt());
            }
        }
    }
}

void CMainFrame::BuildSortMenu(QMenu* view) {
    // Sorting without a mouse: each column sorts as a click on its header does; "Then By" adds
    // the column as the next key, as a Ctrl+click does.
    view->addSeparator();
    QMenu* sortBy = view->addMenu(tr("Sort &By"));
    sortBy->setObjectName("menuSortBy");
    QMenu* thenBy = new QMenu(tr("&Then By"), sortBy);
    thenBy->setObjectName("menuThenBy");
    const QAbstractItemModel* model = m_SelectedView->model();
    for (int column = 0; column < model->columnCount(); ++column) {
        const QString title = model->headerData(column, Qt::Horizontal).toString();
        for (QMenu* menu : {sortBy, thenBy}) {
            QAction* action = menu->addAction(title);
            const bool addKey = menu == thenBy;
            action->setObjectName(
                QStringLiteral("%1%2").arg(addKey ? "thenBy" : "sortBy").arg(column));
            connect(action, &QAction::triggered, this,
                    [this, column, addKey] { m_SelectedView->SortByColumn(column, addKey); });
        }
    }
    sortBy->addSeparator();
    sortBy->addMenu(thenBy);
}

void CMainFrame::BuildPaneKeys() {
    const struct {
        const char* name;
        const char* text;
        QKeySequence key;
        int step;
    } keys[] = {
        {"nextPane", QT_TR_NOOP("Next Pane"), QKeySequence(Qt::Key_F6), 1},
        {"previousPane", QT_TR_NOOP("Previous Pane"), QKeySequence(Qt::SHIFT | Qt::Key_F6), -1}};
    for (const auto& k : keys) {
        auto* action = new QAction(tr(k.text), this);
        action->setObjectName(k.name);
        action->setShortcut(k.key);
        action->setShortcutContext(Qt::WindowShortcut);
        const int step = k.step;
        connect(action, &QAction::triggered, this, [this, step] { CyclePane(step); });
        addAction(action);
    }
}

QList<QWidget*> CMainFrame::PaneWidgets() const {
    return {m_TreeView->Tree(), m_FilesView, m_SelectedView};
}

void CMainFrame::CyclePane(int step) {
    const QList<QWidget*> panes = PaneWidgets();
    int at = -1;
    for (QWidget* w = QApplication::focusWidget(); w != nullptr && at < 0; w = w->parentWidget()) {
        at = static_cast<int>(panes.indexOf(w));
        if (w == m_TreeView) {
            at = 0;
        }
    }
    const int count = static_cast<int>(panes.size());
    const int next = at < 0 ? (step > 0 ? 0 : count - 1) : (at + step + count) % count;
    panes[next]->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

bool CMainFrame::OpenContextMenuByKey(QWidget* focus) {
    for (QWidget* w = focus; w != nullptr; w = w->parentWidget()) {
        if (w == m_TreeView || w == m_FilesView || w == m_SelectedView) {
            // As the Menu key does: a keyboard context menu event for the focus widget, which
            // the pane handles or passes on to its parent.
            const QPoint at(5, 5);
            QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, at, focus->mapToGlobal(at));
            QCoreApplication::sendEvent(focus, &menuEvent);
            return true;
        }
        if (w == this) {
            break;
        }
    }
    return false;
}

void CMainFrame::BuildToolBar() {
    using namespace cmd;
    m_ToolBar = new QToolBar(tr("Toolbar"), this);
    m_ToolBar->setObjectName("MainToolBar");
    m_ToolBar->setAccessibleName(tr("Toolbar"));
    m_ToolBar->setIconSize(QSize(48, 48));
    m_ToolBar->setMovable(true);
    m_ToolBar->setFloatable(true);
    m_ToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    const int groups[][4] = {{kSaveResults, kMoveCorrupt, 0, 0},
                             {kAnalyze, kMp3ToWav, kWavToMp3, kMp3ToMp3},
                             {kEditTags, 0, 0, 0},
                             {kAddTracks, kRemoveTracks, 0, 0},
                             {kPlayTrack, kStopPlaying, 0, 0}};
    bool first = true;
    for (const auto& group : groups) {
        if (!first) {
            m_ToolBar->addSeparator();
        }
        first = false;
        for (int id : group) {
            if (id != 0) {
                m_ToolBar->addAction(m_Actions[id]);
            }
        }
    }
    for (QAction* action : m_ToolBar->actions()) {
        if (QWidget* button = m_ToolBar->widgetForAction(action)) {
            button->setAccessibleName(action->toolTip());
        }
    }
    addToolBar(Qt::TopToolBarArea, m_ToolBar);
    connect(m_ToolBar, &QToolBar::visibilityChanged, this,
            [this](bool visible) { m_Actions[cmd::kViewToolbar]->setChecked(visible); });
}

void CMainFrame::ShowRunSummary(const QString& text) {
    m_Summary->setText(text);
}

QString CMainFrame::RunSummary() const {
    return m_Summary->text();
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setAccessibleName(tr("Status bar"));
    // A widget, not a message: menu status tips cover it for a moment and leave it as it was.
    m_Summary = new QLabel(bar);
    m_Summary->setObjectName("runSummary");
    m_Summary->setAccessibleName(tr("Last run"));
    bar->addWidget(m_Summary, 1);
    const struct {
        int id;
        const char* text;
        const char* name;
    } panes[] = {{cmd::kPaneTracks, QT_TR_NOOP("Tracks: 0       "), QT_TR_NOOP("Tracks")},
                 {cmd::kPaneWavs, QT_TR_NOOP("WAVs: 0       "), QT_TR_NOOP("WAVs")},
                 {cmd::kPaneMp3s, QT_TR_NOOP("MP3s: 0        "), QT_TR_NOOP("MP3s")}};
    for (const auto& pane : panes) {
        auto* label = new QLabel(tr(pane.text), bar);
        label->setObjectName(QStringLiteral("pane%1").arg(pane.id));
        label->setAccessibleName(tr(pane.name));
        label->setMinimumWidth(label->sizeHint().width());
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addPermanentWidget(label);
        m_Panes.insert(pane.id, label);
    }
}

void CMainFrame::SetCounters(int tracks, int mp3s, int wavs) {
    m_Panes[cmd::kPaneTracks]->setText(tr("Tracks: %1").arg(tracks));
    m_Panes[cmd::kPaneMp3s]->setText(tr("MP3s: %1").arg(mp3s));
    m_Panes[cmd::kPaneWavs]->setText(tr("WAVs: %1").arg(wavs));
}

QAction* CMainFrame::CommandAction(int id, const QString& text, QObject* owner) {
    auto* action = new QAction(text, owner);
    action->setData(id);
    action->setObjectName(QStringLiteral("cmd%1").arg(id));
    if (QAction* main = m_Actions.value(id, nullptr)) {
        action->setIcon(main->icon());
        action->setShortcut(main->shortcut());
        action->setShortcutContext(Qt::WidgetShortcut);  // shown only; the main action owns it
    }
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    m_ExtraActions.insert(id, action);
    return action;
}

ICommandTarget* CMainFrame::RouteFor(int id, bool& enabled) {
    enabled = false;
    ICommandTarget* pane = nullptr;
    if (m_ActivePane == m_SelectedView) {
        pane = m_SelectedView;
    } else if (m_ActivePane == m_FilesView) {
        pane = m_FilesView;
    } else if (m_ActivePane == m_TreeView) {
        pane = m_TreeView;
    }
    ICommandTarget* chain[] = {pane, &m_Doc, this, m_AppTarget};
    for (ICommandTarget* target : chain) {
        if (target != nullptr && target->QueryCommand(id, enabled)) {
            return target;
        }
    }
    return nullptr;
}

bool CMainFrame::IsCommandEnabled(int id) {
    bool enabled = false;
    return RouteFor(id, enabled) != nullptr && enabled;
}

void CMainFrame::OnCommand(int id) {
    bool enabled = false;
    ICommandTarget* target = RouteFor(id, enabled);
    if (target != nullptr && enabled) {
        m_Summary->clear();  // the last run's summary stays until the next command
        target->ExecuteCommand(id);
    }
    UpdateCommandUI();
}

void CMainFrame::UpdateCommandUI() {
    for (auto it = m_Actions.begin(); it != m_Actions.end(); ++it) {
        const bool enabled = IsCommandEnabled(it.key());
        it.value()->setEnabled(enabled);
        for (const QPointer<QAction>& extra : m_ExtraActions.values(it.key())) {
            if (extra) {
                extra->setEnabled(enabled);
            }
        }
    }
    for (int id : {cmd::kAnalyzeSelected, cmd::kMp3ToWavSelected, cmd::kWavToMp3Selected,
                   cmd::kMp3ToMp3Selected, cmd::kRepairSelected, cmd::kMeasureLoudnessSelected,
                   cmd::kWriteReplayGainSelected}) {
        const bool enabled = IsCommandEnabled(id);
        for (const QPointer<QAction>& extra : m_ExtraActions.values(id)) {
            if (extra) {
                extra->setEnabled(enabled);
            }
        }
    }
    m_Actions[cmd::kViewToolbar]->setChecked(m_ToolBar->isVisible() || !isVisible());
    m_Actions[cmd::kViewStatusBar]->setChecked(statusBar()->isVisible() || !isVisible());
}

bool CMainFrame::QueryCommand(int id, bool& enabled) {
    switch (id) {
        case cmd::kViewToolbar:
        case cmd::kViewStatusBar:
        case cmd::kExit: enabled = true; return true;
        default: return false;
    }
}

void CMainFrame::ExecuteCommand(int id) {
    switch (id) {
        case cmd::kViewToolbar: m_ToolBar->setVisible(!m_ToolBar->isVisible()); break;
        case cmd::kViewStatusBar: statusBar()->setVisible(!statusBar()->isVisible()); break;
        case cmd::kExit: close(); break;
        default: break;
    }
}

void CMainFrame::SetActivePane(QWidget* pane) {
    if (pane != m_ActivePane) {
        m_ActivePane = pane;
        UpdateCommandUI();
    }
}

void CMainFrame::OnFocusChanged(QWidget* now) {
    for (QWidget* w = now; w != nullptr; w = w->parentWidget()) {
        if (w == m_SelectedView || w == m_FilesView || w == m_TreeView) {
            SetActivePane(w);
            return;
        }
        if (w == this) {
            return;  // the toolbar, the menus: the active pane stays
        }
    }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier &&
            widget != nullptr && widget == QApplication::focusWidget() &&
            widget->window() == this && OpenContextMenuByKey(widget)) {
            return true;
        }
    }
    if ((event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        !m_ClashingKeys.isEmpty()) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        const int combined = key->keyCombination().toCombined();
        if (widget != nullptr && widget->window() == this && m_ClashingKeys.contains(combined)) {
            event->accept();
            if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) {
                OnCommand(m_ClashingKeys.value(combined));
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_SizesApplied) {
        m_SizesApplied = true;
        ApplyInitialSizes();
        m_SelectedView->setFocus();
    }
}

void CMainFrame::ApplyInitialSizes() {
    const int width = m_MainSplitter->width();
    const int left =
        std::max(kLeftMinWidth, m_Profile.GetInt(kSplitterSection, "LeftWidth", kDefaultLeftSize));
    m_MainSplitter->setSizes({left, std::max(kRightMinWidth, width - left - kGap)});
    const int height = m_LeftSplitter->height();
    const int top = std::max(kPaneMinHeight,
                             m_Profile.GetInt(kSplitterSection, "LeftHeight", kDefaultLeftSize));
    m_LeftSplitter->setSizes({top, std::max(kPaneMinHeight, height - top - kGap)});
}

void CMainFrame::SaveLeftPaneSizes() {
    m_Profile.SetInt(kSplitterSection, "LeftWidth", m_TreeView->width());
    m_Profile.SetInt(kSplitterSection, "LeftHeight", m_TreeView->height());
}

void CMainFrame::SavePlacement() {
    const QRect r = normalGeometry().isValid() ? normalGeometry() : geometry();
    char text[64];
    std::snprintf(text, sizeof text, "%04d %04d %04d %04d", r.left(), r.top(), r.left() + r.width(),
                  r.top() + r.height());
    m_Profile.SetString(kPlacementSection, "Rectangle", text);
    const Qt::WindowStates state = windowState();
    m_Profile.SetInt(kPlacementSection, "Iconized", state & Qt::WindowMinimized ? 1 : 0);
    m_Profile.SetInt(kPlacementSection, "Maximized", state & Qt::WindowMaximized ? 1 : 0);
    m_Profile.SetString(kBarStateSection, "State", saveState().toBase64().toStdString());
}

void CMainFrame::LoadPlacement() {
    const std::string rect = m_Profile.GetString(kPlacementSection, "Rectangle", "");
    if (!rect.empty()) {
        const int left = FourDigits(rect, 0);
        const int top = FourDigits(rect, 5);
        const int right = FourDigits(rect, 10);
        const int bottom = FourDigits(rect, 15);
        if (right > left && bottom > top) {
            setGeometry(left, top, right - left, bottom - top);
        }
    }
    if (isVisible()) {
        RestoreBars();
    }
}

void CMainFrame::RestoreBars() {
    // After the frame is shown: a toolbar left floating is a window of its own, and Qt shows it
    // only when its frame is visible at the time the state is restored.
    const std::string bars = m_Profile.GetString(kBarStateSection, "State", "");
    if (!bars.empty()) {
        restoreState(QByteArray::fromBase64(QByteArray::fromStdString(bars)));
    }
}

void CMainFrame::ShowAtStart() {
    LoadPlacement();
    const bool iconized = m_Profile.GetInt(kPlacementSection, "Iconized", 0) != 0;
    const bool maximized = m_Profile.GetInt(kPlacementSection, "Maximized", 0) != 0;
    if (iconized) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setWindowState(maximized ? (Qt::WindowMinimized | Qt::WindowMaximized)
                                 : Qt::WindowMinimized);
        show();
        setAttribute(Qt::WA_ShowWithoutActivating, false);
    } else if (maximized) {
        showMaximized();
    } else {
        showNormal();
    }
    RestoreBars();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    SaveLeftPaneSizes();
    SavePlacement();
    m_SelectedView->SaveColumnWidths();
    m_Saved = true;
    QMainWindow::closeEvent(event);
    emit closed();
}

}  // namespace sonvara
