#include "skinwnd/sys_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QWidget>

#include "skin/skin_manager.h"
#include "skinwnd/form_traits.h"
#include "skinwnd/provider_face.h"
#include "winshim/system_menu.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

namespace {

// The six standard items: their system commands and default captions.
constexpr unsigned kStdCommands[6] = {ws::SC_RESTORE,  ws::SC_MOVE,     ws::SC_SIZE,
                                      ws::SC_MINIMIZE, ws::SC_MAXIMIZE, ws::SC_CLOSE};
const char* const kStdCaptions[6] = {"Restore", "Move", "Size", "Minimize", "Maximize", "Close"};

constexpr const char* kSkinListName = "SkinSelectItem";
constexpr const char* kColumnProperty = "menuBreakColumn";

QString BeforeTab(const QString& text) {
  const int tab = text.indexOf(QLatin1Char('\t'));
  return tab < 0 ? text : text.left(tab);
}

QString AfterTab(const QString& text) {
  const int tab = text.indexOf(QLatin1Char('\t'));
  return tab < 0 ? QString() : text.mid(tab + 1);
}

bool SingleOrSizeable(TFormBorderStyle s) {
  return s == TFormBorderStyle::bsSingle || s == TFormBorderStyle::bsSizeable;
}

}  // namespace

TkSystemMenu::TkSystemMenu(TkProviderFace& provider)
    : TkCustomSysMenu(provider.ProviderForm()), FOwner(provider), FForm(provider.ProviderForm()) {
  setObjectName(QStringLiteral("SysMenu"));
  MakeItems();
}

QAction* TkSystemMenu::AddStdItem(int index, unsigned command, const QString& caption) {
  QAction* item = addAction(caption);
  item->setObjectName(QString::fromLatin1(kSysItemNames[index]));
  item->setData(command);
  connect(item, &QAction::triggered, this, [this, command] {
    SendCommand(command);
    if (command == ws::SC_RESTORE || command == ws::SC_MAXIMIZE || command == ws::SC_MINIMIZE)
      UpdateItems(false);
  });
  return item;
}

void TkSystemMenu::SendCommand(unsigned command) {
  if (FForm) ws::SendMessage(ws::HandleOf(FForm), ws::WM_SYSCOMMAND, command, 0);
}

void TkSystemMenu::MakeItems() {
  clear();
  ItemRestore = ItemMove = ItemSize = ItemMinimize = ItemMaximize = ItemClose = nullptr;
  ExtItemsCount = 0;
  std::vector<ws::SysMenuItem> own;
  const ws::HWND wnd = FForm ? ws::HandleOf(FForm) : 0;
  if (!ws::GetSystemMenu(wnd, own)) return;
  QAction** targets[6] = {&ItemRestore,  &ItemMove,     &ItemSize,
                          &ItemMinimize, &ItemMaximize, &ItemClose};
  for (int i = 0; i < 5; ++i) {
    QString caption = BeforeTab(ws::GetMenuString(wnd, kStdCommands[i]));
    if (caption.isEmpty()) caption = QString::fromLatin1(kStdCaptions[i]);
    *targets[i] = AddStdItem(i, kStdCommands[i], caption);
  }
  addSeparator();
  // The program's own items of the window's menu keep their commands.
  for (const ws::SysMenuItem& item : own) {
    if (std::int32_t(item.id) >= std::int32_t(ws::SC_SIZE) || item.id == 0 || item.text.isEmpty())
      continue;
    QAction* copy = addAction(BeforeTab(item.text));
    const QString keys = AfterTab(item.text);
    if (!keys.isEmpty()) copy->setShortcut(QKeySequence(keys));
    copy->setData(item.id);
    const unsigned id = item.id;
    connect(copy, &QAction::triggered, this, [this, id] {
      if (FForm) ws::PostMessage(ws::HandleOf(FForm), ws::WM_SYSCOMMAND, id, 0);
    });
    ++ExtItemsCount;
  }
  if (ExtItemsCount > 0) addSeparator();
  const QString closeText = ws::GetMenuString(wnd, ws::SC_CLOSE);
  QString caption = BeforeTab(closeText);
  if (caption.isEmpty()) caption = QString::fromLatin1(kStdCaptions[5]);
  ItemClose = AddStdItem(5, ws::SC_CLOSE, caption);
  if (!AfterTab(closeText).isEmpty()) ItemClose->setShortcut(QKeySequence(AfterTab(closeText)));
}

void TkSystemMenu::UpdateItems(bool rebuild) {
  if (rebuild) MakeItems();
  const auto set = [](QAction* item, bool visible, bool enabled) {
    if (!item) return;
    item->setVisible(visible);
    item->setEnabled(enabled);
  };
  set(ItemRestore, VisibleRestore(), EnabledRestore());
  set(ItemMove, true, EnabledMove());
  set(ItemSize, VisibleSize(), EnabledSize());
  set(ItemMinimize, VisibleMin(), EnabledMin());
  set(ItemMaximize, VisibleMax(), EnabledMax());
  set(ItemClose, VisibleClose(), true);
}

bool TkSystemMenu::VisibleClose() const {
  return FOwner.SysMenuRemoved();
}

bool TkSystemMenu::VisibleMax() const {
  return VisibleClose() &&
         (WindowStateOf(FForm) == TWindowState::wsMinimized || IsMdiChild(FForm) ||
          (SingleOrSizeable(BorderStyleOf(FForm)) && (BorderIconsOf(FForm) & biMaximize)));
}

bool TkSystemMenu::VisibleMin() const {
  return VisibleClose() &&
         (WindowStateOf(FForm) == TWindowState::wsMinimized || IsMdiChild(FForm) ||
          (SingleOrSizeable(BorderStyleOf(FForm)) && (BorderIconsOf(FForm) & biMinimize)));
}

bool TkSystemMenu::VisibleRestore() const {
  return VisibleClose() && (IsMdiChild(FForm) || SingleOrSizeable(BorderStyleOf(FForm)));
}

bool TkSystemMenu::VisibleSize() const {
  const TFormBorderStyle s = BorderStyleOf(FForm);
  return IsMdiChild(FForm) || (s != TFormBorderStyle::bsNone && s != TFormBorderStyle::bsDialog &&
                               s != TFormBorderStyle::bsToolWindow);
}

bool TkSystemMenu::EnabledMax() const {
  return (BorderIconsOf(FForm) & biMaximize) &&
         (IsMdiChild(FForm) || (WindowStateOf(FForm) != TWindowState::wsMaximized &&
                                SingleOrSizeable(BorderStyleOf(FForm))));
}

bool TkSystemMenu::EnabledMin() const {
  return (BorderIconsOf(FForm) & biMinimize) && WindowStateOf(FForm) != TWindowState::wsMinimized;
}

bool TkSystemMenu::EnabledRestore() const {
  const TWindowState state = WindowStateOf(FForm);
  return ((BorderIconsOf(FForm) & biMaximize) && state != TWindowState::wsNormal) ||
         state == TWindowState::wsMinimized;
}

bool TkSystemMenu::EnabledMove() const {
  return WindowStateOf(FForm) != TWindowState::wsMaximized;
}

bool TkSystemMenu::EnabledSize() const {
  return BorderStyleOf(FForm) != TFormBorderStyle::bsSingle &&
         WindowStateOf(FForm) != TWindowState::wsMinimized;
}

void TkSystemMenu::RemoveSkinList() {
  const auto items = actions();
  if (items.isEmpty() || items.first()->objectName() != QLatin1String(kSkinListName)) return;
  QAction* list = items.first();
  if (QMenu* sub = list->menu()) sub->deleteLater();
  removeAction(list);
  delete list;
  // The separator that followed it.
  const auto rest = actions();
  if (!rest.isEmpty() && rest.first()->isSeparator()) {
    QAction* separator = rest.first();
    removeAction(separator);
    delete separator;
  }
}

void TkSystemMenu::AddSkinList() {
  TkCommonData* link = FOwner.ProviderLink();
  TkSkinManager* manager = link ? link->GetSkinManager() : nullptr;
  TkSkinManagerComponent* component = manager ? manager->Component : nullptr;
  if (!component) return;
  const QStringList names = component->GetSkinNames(2);
  if (names.isEmpty()) return;
  auto* sub = new QMenu(QStringLiteral("Available skins"), this);
  QAction* head = sub->menuAction();
  head->setObjectName(QString::fromLatin1(kSkinListName));
  const auto before = actions();
  QAction* first = before.isEmpty() ? nullptr : before.first();
  insertAction(first, head);
  insertSeparator(first);
  auto* group = new QActionGroup(sub);
  group->setExclusive(true);
  int column = 0;
  for (int i = 0; i < names.size(); ++i) {
    QAction* item = sub->addAction(names[i]);
    item->setObjectName(QString::fromLatin1(kSkinListName) + QString::number(i));
    item->setCheckable(true);
    item->setActionGroup(group);
    item->setChecked(names[i] == component->SkinName());
    if (i > 0 && i % 20 == 0) ++column;
    item->setProperty(kColumnProperty, column);
    connect(item, &QAction::triggered, this, [component, item] {
      QString name = item->text().remove(QLatin1Char('&'));
      const QString internal = QStringLiteral("(internal)");
      const int at = name.indexOf(internal);
      if (at >= 0) name = name.left(at + internal.size());
      component->SetSkinName(name);
    });
  }
}

int TkSystemMenu::SkinListColumn(const QAction* item) {
  return item ? item->property(kColumnProperty).toInt() : 0;
}

TkaSystemMenu::TkaSystemMenu(TkaDialogMenuOwner* owner) : TkCustomSysMenu(nullptr), FOwner(owner) {
  QAction** targets[6] = {&ItemRestore,  &ItemMove,     &ItemSize,
                          &ItemMinimize, &ItemMaximize, &ItemClose};
  for (int i = 0; i < 6; ++i) {
    if (i == 5) addSeparator();
    QAction* item = addAction(QString::fromLatin1(kStdCaptions[i]));
    item->setObjectName(QString::fromLatin1(kDlgItemNames[i]));
    const unsigned command = kStdCommands[i];
    item->setData(command);
    connect(item, &QAction::triggered, this, [this, command] {
      SendCommand(command);
      if (command == ws::SC_RESTORE || command == ws::SC_MAXIMIZE) UpdateItems();
    });
    *targets[i] = item;
  }
  ItemClose->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
}

void TkaSystemMenu::SendCommand(unsigned command) {
  if (FOwner) ws::SendMessage(FOwner->DialogHandle(), ws::WM_SYSCOMMAND, command, 0);
}

bool TkaSystemMenu::VisibleClose() const {
  return FOwner && (FOwner->DialogSavedStyle() & ws::WS_SYSMENU);
}

void TkaSystemMenu::UpdateItems() {
  if (!FOwner) return;
  const std::uint32_t style = FOwner->DialogSavedStyle();
  const int kind = FOwner->DialogFrameKind();
  const std::uint32_t now = ws::GetWindowLong(FOwner->DialogHandle(), ws::GWL_STYLE);
  const bool minimized = now & ws::WS_MINIMIZE;
  const bool maximized = now & ws::WS_MAXIMIZE;
  const bool sysMenu = style & ws::WS_SYSMENU;
  const bool maxBox = style & ws::WS_MAXIMIZEBOX;
  const bool minBox = style & ws::WS_MINIMIZEBOX;
  ItemRestore->setVisible(kind != 0 && kind != 2 && kind != 4 && kind != 5 && sysMenu);
  ItemRestore->setEnabled(maxBox && (minimized || maximized));
  ItemMove->setVisible(true);
  ItemMove->setEnabled(!maximized);
  ItemSize->setVisible(kind != 0 && kind != 2 && kind != 4);
  ItemSize->setEnabled(kind != 1 && !minimized);
  ItemMinimize->setVisible(minBox);
  ItemMinimize->setEnabled(minBox && !minimized);
  ItemMaximize->setVisible(maxBox);
  ItemMaximize->setEnabled(maxBox && !maximized && (kind == 1 || kind == 3 || kind == 5));
  ItemClose->setVisible(sysMenu);
  ItemClose->setEnabled(true);
}

}  // namespace kelmo::skinwnd
