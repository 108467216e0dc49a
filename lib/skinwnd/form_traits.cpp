#include "skinwnd/form_traits.h"

#include <QDialog>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVariant>
#include <QWidget>

#include "winshim/window.h"

namespace kelmo::skinwnd {

namespace {
bool FixedSize(const QWidget* w) {
  return w->minimumSize() == w->maximumSize();
}

// The property of a skinned form that keeps its own window flags.
const char* const kOwnFlagsProperty = "kelmoOwnWindowFlags";
}  // namespace

Qt::WindowFlags OwnWindowFlags(const QWidget* form) {
  const QVariant kept = form->property(kOwnFlagsProperty);
  return kept.isValid() ? Qt::WindowFlags(kept.toInt()) : form->windowFlags();
}

void KeepOwnWindowFlags(QWidget* form, bool keep) {
  form->setProperty(kOwnFlagsProperty, keep ? QVariant(int(form->windowFlags())) : QVariant());
}

bool IsMdiChild(const QWidget* form) {
  return qobject_cast<const QMdiSubWindow*>(form) != nullptr;
}

TFormBorderStyle BorderStyleOf(const QWidget* form) {
  if (!form) return TFormBorderStyle::bsNone;
  if (IsMdiChild(form))
    return FixedSize(form) ? TFormBorderStyle::bsSingle : TFormBorderStyle::bsSizeable;
  const Qt::WindowFlags f = OwnWindowFlags(form);
  if (f & Qt::FramelessWindowHint) return TFormBorderStyle::bsNone;
  const Qt::WindowFlags type = f & Qt::WindowType_Mask;
  if (type == Qt::Tool)
    return FixedSize(form) ? TFormBorderStyle::bsToolWindow : TFormBorderStyle::bsSizeToolWin;
  if (FixedSize(form))
    return type == Qt::Dialog || qobject_cast<const QDialog*>(form) ? TFormBorderStyle::bsDialog
                                                                    : TFormBorderStyle::bsSingle;
  return TFormBorderStyle::bsSizeable;
}

TBorderIcons BorderIconsOf(const QWidget* form) {
  if (!form) return 0;
  const Qt::WindowFlags f = OwnWindowFlags(form);
  const bool all = !(f & Qt::CustomizeWindowHint);
  TBorderIcons icons = 0;
  if (all || (f & Qt::WindowSystemMenuHint)) icons |= biSystemMenu;
  if (all || (f & Qt::WindowMinimizeButtonHint)) icons |= biMinimize;
  if (all || (f & Qt::WindowMaximizeButtonHint)) icons |= biMaximize;
  if (f & Qt::WindowContextHelpButtonHint) icons |= biHelp;
  return icons;
}

TWindowState WindowStateOf(const QWidget* form) {
  if (!form) return TWindowState::wsNormal;
  if (form->isMinimized()) return TWindowState::wsMinimized;
  if (form->isMaximized()) return TWindowState::wsMaximized;
  return TWindowState::wsNormal;
}

QMdiArea* MdiClientOf(const QWidget* form) {
  if (!form) return nullptr;
  if (auto* main = qobject_cast<const QMainWindow*>(form))
    if (auto* area = qobject_cast<QMdiArea*>(main->centralWidget())) return area;
  for (QObject* child : form->children())
    if (auto* area = qobject_cast<QMdiArea*>(child)) return area;
  return nullptr;
}

int TagOf(const QObject* component) {
  return component ? component->property("Tag").toInt() : 0;
}

void SetTag(QObject* component, int tag) {
  if (component) component->setProperty("Tag", tag);
}

QString ComponentClassName(const QObject* component) {
  if (!component) return {};
  const QString role = winshim::ClassRoleOf(component);
  if (!role.isEmpty()) return role;
  return QString::fromLatin1(component->metaObject()->className());
}

}  // namespace kelmo::skinwnd
