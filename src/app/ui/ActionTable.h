#pragma once

#include <QHash>
#include <map>
#include <QString>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QObject;
class QToolBar;
class QToolButton;

// Where a command of the main window appears.
enum class Place {
    MenuBar,
    FileMenu,
    ViewMenu,
    OperateMenu,
    ToolsMenu,
    HelpMenu,
    SourceToolbar,
    SimpleToolMenu, // drop-down of "简易统计工具" on the source toolbar
    ObjectToolbar,
    OtherMenu, // drop-down of "其他功能" on the target toolbar
    SourcePopup,
    SourceCopyMenu,
    SourceToolsMenu,
    SourceAdvancedMenu,
    ObjectPopup,
    ObjectToolsMenu,
    ObjectAdvancedMenu,
    InventoryPopup,    // the warehouse list's popup
    InventoryCopyMenu, // its "复制文本"
    TrayMenu,
    PricePopup,        // `_PopupMenuSourcePrice` of the price and stock lists
    PriceCopyMenu,     // its "复制文本"
    PriceAdvancedMenu, // its "高级功能"
    ObjectCopyMenu, // "复制文本" of the target list's popup
};

// Who handles a command: the frame or one of its panes.
enum class Pane { None, Frame, Source, Target, PriceStock, Warehouse };

// One row of the window's command table. Rows appear in table order in
// their place; a menu row opens a place of its own.
struct ActionEntry
{
    enum Kind { Item, Separator, Menu, MenuButton };
    static constexpr int NoTag = -1000;

    Place place;
    Kind kind;
    const char *name = nullptr;    // object name of the action, button or menu
    const char *caption = nullptr; // UTF-8
    Pane pane = Pane::None;        // None: the command is not built yet
    const char *handler = nullptr; // slot of the pane, no arguments
    bool enabled = true;           // at start
    Place opens = Place::MenuBar;  // Menu, MenuButton: the place it opens
    const char *menuName = nullptr; // MenuButton: its drop-down menu's name
    int tag = NoTag;               // the Tag the handler reads
};

// The main menu, the two toolbars, their drop-down menus, the list popups
// and the tray menu, in order.
const std::vector<ActionEntry> &MainWindowActions();

// Builds the controls of the table into the places the window and its panes
// register, and connects each to its pane's handler. A place, a handler or a
// name that does not fit is a programming error and stops the program.
class ActionBuilder
{
public:
    void addPlace(Place place, QMenuBar *bar);
    void addPlace(Place place, QMenu *menu);
    // Toolbar rows go in front of `before` (the pane's own widgets), or at the end.
    void addPlace(Place place, QToolBar *bar, QAction *before = nullptr);
    void addHandler(Pane pane, QObject *receiver);

    void build(const std::vector<ActionEntry> &entries);

    QAction *action(const char *name) const;
    QToolButton *button(const char *name) const;
    QMenu *menu(Place place) const;

private:
    struct Target
    {
        QMenuBar *bar = nullptr;
        QMenu *menu = nullptr;
        QToolBar *toolbar = nullptr;
        QAction *before = nullptr;
    };
    void connectHandler(const ActionEntry &e, QObject *sender, const char *signal);
    void remember(const char *name, QObject *control);

    std::map<Place, Target> m_places;
    std::map<Pane, QObject *> m_handlers;
    QHash<QString, QObject *> m_controls;
};
