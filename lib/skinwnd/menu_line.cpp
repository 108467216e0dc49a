// Where skinned menus meet form providers: a form's menus hooked and
// unhooked with its provider, and the items of its main menu painted over
// the provider's menu line.
#include <QMenuBar>

#include "skin/skin_manager.h"
#include "skinwnd/form_frame_geometry.h"
#include "skinwnd/form_frame_painting.h"
#include "skinwnd/form_provider.h"
#include "skinwnd/form_satellites.h"
#include "skinwnd/skinned_menus.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;

namespace {

TkSkinableMenus* MenusOf(const TkSkinProvider& p) {
  skin::TkSkinManager* m = p.ProviderManager();
  return m && m->Component ? &m->Component->Menus : nullptr;
}

// The provider of the form a bar belongs to.
TkSkinProvider* ProviderOfBar(QMenuBar* bar) {
  return bar ? TkSkinProvider::Of(bar->window()) : nullptr;
}

// The bar's origin in the provider's menu line: the line starts at the
// cache's left shadow margin, the window at its offset in the cache.
QPoint BarOffsetInLine(TkSkinProvider& p, const QMenuBar& bar) {
  return {bar.x() + WindowOffsetInCache(p).x() - ShadowMargins(p).left, 0};
}

}  // namespace

void StartSkinnedMenus() {
  FormSatelliteMakers& makers = FormSatellites();
  makers.HookFormMenus = [](TkSkinProvider& p, bool on) {
    TkSkinableMenus* menus = MenusOf(p);
    if (!menus) return;
    if (on) SyncActive(*menus);
    QMenuBar* bar = p.MainMenu();
    if (!bar) return;
    const bool hook = on && menus->Active;
    HookMenuBar(*menus, bar, hook);
    const skin::TkSkinManagerComponent* c = p.ProviderManager()->Component;
    for (QAction* top : bar->actions()) HookItems(*menus, top, hook && c->SkinnedPopups());
  };
  makers.PaintMenuLineItems = [](TkSkinProvider& p, QImage& cache, const ws::Rect& line) {
    TkSkinableMenus* menus = MenusOf(p);
    QMenuBar* bar = p.MainMenu();
    if (!menus || !menus->Active || !bar) return;
    const QPoint off = BarOffsetInLine(p, *bar);
    ws::Dc dc(cache);
    for (QAction* a : bar->actions()) {
      if (!a->isVisible()) continue;
      const QRect r = bar->actionGeometry(a);
      dc.SetViewportOrg(line.left + off.x(), line.top + off.y());
      DrawMenuBarItem(*menus, {a, bar}, dc, ws::Rect::FromQRect(r), 0);
    }
  };
  SetMenuLineSource([](QMenuBar* bar, QPoint& offset) -> const QImage* {
    TkSkinProvider* p = ProviderOfBar(bar);
    if (!p || p->MenuLineBg.isNull()) return nullptr;
    offset = BarOffsetInLine(*p, *bar);
    return &p->MenuLineBg;
  });
}

}  // namespace kelmo::skinwnd
