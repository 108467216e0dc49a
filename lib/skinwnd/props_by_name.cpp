#include "skinwnd/props_by_name.h"

#include <QColor>
#include <QMetaProperty>
#include <QVariant>
#include <QWidget>

#include "winshim/system_profile.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;

QObject* PropertyHolder(QWidget* ownerControl, ws::HWND wnd) {
  if (ownerControl) return ownerControl;
  return ws::WidgetOf(wnd);
}

bool HasPropNamed(const QObject* obj, const char* name) {
  return obj && obj->metaObject()->indexOfProperty(name) >= 0;
}

QObject* ObjectPropOf(const QObject* obj, const char* name) {
  return HasPropNamed(obj, name) ? obj->property(name).value<QObject*>() : nullptr;
}

ws::TColor RawColorPropOf(const QObject* obj, const char* name) {
  if (!HasPropNamed(obj, name)) return 0;
  const QVariant v = obj->property(name);
  if (v.metaType().id() == QMetaType::QColor) return ws::TColor(ws::FromQColor(v.value<QColor>()));
  return ws::TColor(v.toUInt());
}

void SetColorPropIfAny(QObject* obj, const char* name, ws::TColor color) {
  if (!HasPropNamed(obj, name)) return;
  const QMetaProperty p = obj->metaObject()->property(obj->metaObject()->indexOfProperty(name));
  if (p.metaType().id() == QMetaType::QColor)
    obj->setProperty(name, ws::ToQColor(ws::ColorToRGB(color)));
  else
    obj->setProperty(name, QVariant::fromValue(std::uint32_t(color)));
}

}  // namespace kelmo::skinwnd
