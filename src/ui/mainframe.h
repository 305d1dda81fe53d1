#pragma once

#include <QMainWindow>
#include <QMap>
#include <QMultiMap>
#include <QPointer>

#include "ui/commandrouter.h"
#include "ui/commandtarget.h"

class QAction;
class QLabel;
class QSplitter;
class QToolBar;

namespace sonvara {

class CFileIconCache;
class CListSelectedTracksListView;
class CListTracksView;
class CSonvaraDoc;
class CTreeView1;
class IProfileStore;

// The main window: the folder tree above the track-file list on the left, the working list
// on the right, in two splitters; the menu bar, the toolbar and the status bar. Every command
// is one QAction per id (more for context menus); a command goes to the active pane's view,
// then the document, then the frame, then the application, and it is enabled only where one
// of them handles it.
class CMainFrame : public QMainWindow, public ICommandRouter, public ICommandTarget {
    Q_OBJECT
public:
    static constexpr int kGap = 5;
    static constexpr int kLeftMinWidth = 100;
    static constexpr int kRightMinWidth = 200;
    static constexpr int kPaneMinHeight = 100;
    static constexpr int kDefaultLeftSize = 150;

    // icons: the file icons the panes show (the program's, handed down).
    CMainFrame(CSonvaraDoc& doc, IProfileStore& profile, CFileIconCache& icons,
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Shows the window as it was left (placement of the section "Main Frame").
    void ShowAtStart();
    void SetAppTarget(ICommandTarget* target) { m_AppTarget = target; }

    CListSelectedTracksListView* GetSelectedTracksView() const { return m_SelectedView; }
    CListTracksView* GetTrackFilesView() const { return m_FilesView; }
    CTreeView1* GetTreeView() const { return m_TreeView; }
    QWidget* ActivePane() const { return m_ActivePane; }
    void SetActivePane(QWidget* pane);
    QAction* Action(int id) const { return m_Actions.value(id, nullptr); }
    QToolBar* MainToolBar() const { return m_ToolBar; }
    QSplitter* MainSplitter() const { return m_MainSplitter; }
    QSplitter* LeftSplitter() const { return m_LeftSplitter; }
    QLabel* Pane(int id) const { return m_Panes.value(id, nullptr); }
    // The last run's summary on the left of the status bar, kept until the next command.
    void ShowRunSummary(const QString& text);
    QString RunSummary() const;

    // Routes one command as a menu, toolbar button or accelerator would.
    void OnCommand(int id);
    bool IsCommandEnabled(int id);

    QAction* CommandAction(int id, const QString& text, QObject* owner) override;
    void UpdateCommandUI() override;
    bool QueryCommand(int id, bool& enabled) override;
    void ExecuteCommand(int id) override;

    void SavePlacement();
    // The window's rectangle; the toolbar's state too when the window is already shown.
    void LoadPlacement();
    void SaveLeftPaneSizes();

signals:
    // The window was closed (File > Exit or the close box): the program ends, whatever other
    // windows (help, a floating toolbar) are still open.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* MakeAction(int id, const QString& text, const QString& icon = {},
                        const QKeySequence& key = {});
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void BuildClient();
    void ApplyInitialSizes();
    void RestoreBars();
    ICommandTarget* RouteFor(int id, bool& enabled);
    void OnFocusChanged(QWidget* now);
    void SetCounters(int tracks, int mp3s, int wavs);
    void BuildSortMenu(QMenu* view);
    void BuildPaneKeys();
    // The panes in their Tab order: the folder tree, the track files, the working list.
    QList<QWidget*> PaneWidgets() const;
    // F6 / Shift+F6: the keyboard to the next (step 1) or previous (-1) pane.
    void CyclePane(int step);
    // Shift+F10, as the Menu key: the context menu of the pane that has the keyboard.
    bool OpenContextMenuByKey(QWidget* focus);

    CSonvaraDoc& m_Doc;
    IProfileStore& m_Profile;
    CFileIconCache& m_Icons;
    ICommandTarget* m_AppTarget = nullptr;
    QSplitter* m_MainSplitter = nullptr;
    QSplitter* m_LeftSplitter = nullptr;
    CTreeView1* m_TreeView = nullptr;
    CListTracksView* m_FilesView = nullptr;
    CListSelectedTracksListView* m_SelectedView = nullptr;
    QToolBar* m_ToolBar = nullptr;
    QPointer<QWidget> m_ActivePane;
    QMap<int, QAction*> m_Actions;
    QMultiMap<int, QPointer<QAction>> m_ExtraActions;
    QMap<int, QLabel*> m_Panes;
    QLabel* m_Summary = nullptr;
    QMap<int, int> m_ClashingKeys;  // accelerator key -> command, for keys a menu title also uses
    bool m_SizesApplied = false;
    bool m_Saved = false;
    // Focus changes reach the frame only while it is whole (not from ~QWidget).
    QMetaObject::Connection m_FocusConnection;
};

}  // namespace sonvara
