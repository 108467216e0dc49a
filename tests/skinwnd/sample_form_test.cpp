// Renders a sample form of the program's widget families, skinned with the
// controls' fixture skin, to PNG files in the build folder for review by
// eye: the whole form, and each family's widget on its own. Every family
// the window wrappers skin has one entry in the list below.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSizeGrip>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <functional>
#include <memory>

#include "control_test_form.h"
#include "extctl/xt_speed_button.h"
#include "extctl/xt_spin.h"
#include "skin/skin_link.h"
#include "skinwnd/button_wnd.h"
#include "skinwnd/combo_box_wnd.h"
#include "skinwnd/grid_wnd.h"
#include "skinwnd/list_view_wnd.h"
#include "skinwnd/panel_wnd.h"
#include "skinwnd/speed_button.h"
#include "skinwnd/spin_wnd.h"
#include "skinwnd/static_wnd.h"
#include "skinwnd/status_bar_wnd.h"
#include "skinwnd/tab_wnd.h"
#include "skinwnd/tool_bar_wnd.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skinwnd::testing_controls;
using kelmo::skin::TkCommonData;
using kelmo::skin::TkSkinManager;

namespace {

// What a family's wrapping leaves alive: wrappers, handlers, links.
using Kept = std::vector<std::shared_ptr<void>>;

template <typename T>
void KeepWrapper(Kept& kept, QWidget* w, TkSkinManager* m, const char* section,
                 bool withLink = false) {
  TkCommonData* link = nullptr;
  if (withLink) {
    auto own = std::make_shared<TkCommonData>(w, true);
    link = own.get();
    kept.push_back(own);
  }
  kept.push_back(std::shared_ptr<T>(
      MakeWrapper<T>(ws::HandleOf(w), link, m, QString::fromLatin1(section), false).release()));
}

struct Family {
  const char* name;
  QRect place;
  std::function<QWidget*(QWidget* form)> make;
  std::function<void(QWidget*, TkSkinManager*, Kept&)> wrap;
};

// A table of a few rows under a column header.
QTableView* Table(QWidget* form, int rows) {
  auto* table = new QTableView(form);
  auto* model = new QStandardItemModel(rows, 2, table);
  model->setHorizontalHeaderLabels({QStringLiteral("Code"), QStringLiteral("Name")});
  for (int r = 0; r < rows; ++r)
    model->setItem(r, 1, new QStandardItem(QStringLiteral("Row %1").arg(r)));
  table->setModel(model);
  return table;
}

const std::vector<Family>& Families() {
  static const std::vector<Family> families = {
      {"static",
       {10, 50, 120, 20},
       [](QWidget* f) { return new QLabel(QStringLiteral("A static text"), f); },
       [](QWidget* w, TkSkinManager* m, Kept& k) {
         k.push_back(std::shared_ptr<TkaMainWnd>(WrapStaticWnd(ws::HandleOf(w), m).release()));
       }},
      {"push_button",
       {10, 80, 100, 28},
       [](QWidget* f) { return new QPushButton(QStringLiteral("Button"), f); },
       [](QWidget* w, TkSkinManager* m, Kept& k) { KeepWrapper<TkaBtnWnd>(k, w, m, "BUTTON"); }},
      {"check_box",
       {10, 115, 120, 20},
       [](QWidget* f) {
         auto* box = new QCheckBox(QStringLiteral("Check box"), f);
         box->setChecked(true);
         return box;
       },
       [](QWidget* w, TkSkinManager* m, Kept& k) {
         KeepWrapper<TkaCheckBoxWnd>(k, w, m, "CHECKBOX");
       }},
      {"radio_button",
       {10, 140, 120, 20},
       [](QWidget* f) { return new QRadioButton(QStringLiteral("Radio"), f); },
       [](QWidget* w, TkSkinManager* m, Kept& k) {
         KeepWrapper<TkaCheckBoxWnd>(k, w, m, "CHECKBOX");
       }},
      {"group_box",
       {140, 50, 150, 90},
       [](QWidget* f) { return new QGroupBox(QStringLiteral("Group"), f); },
       [](QWidget* w, TkSkinManager* m, Kept& k) {
         KeepWrapper<TkaGroupBoxWnd>(k, w, m, "GROUPBOX");
       }},
      {"panel",
       {300, 50, 110, 90},
       [](QWidget* f) {
         auto* panel = new QFrame(f);
         panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
         return panel;
       },
       [](QWidget* w, TkSkinManager* m, Kept& k) {
         KeepWrapper<TkaPanelWnd>(k, w, m, "PANEL", true);
       }},
      {"page_control",
       {10, 170, 280, 120},
       [](QWidget* f) {
         auto* tabs = new QTabWidget(f);
         tabs->addTab(new QWidget, QStringLiteral("First"));
         tabs->addTab(new QWidget, QStringLiteral("Second"));
         return tabs;
       },
       [](QWidget* w, TkSkinManager* m, Kept& k) {
         KeepWrapper<TkaPageControlWnd>(k, w, m, "PAGECONTROL");
       }},
      {"up_down",
       {300, 170, 16, 30},
       [](QWidget* f) { return new TXtUpDown(f); },
       [](QWidget* w, TkSkinManager* m, Kept& k) {
         KeepWrapper<TkaSpinWnd>(k, w, m, "UPDOWNBTN");
       }},
      {"speed_button",
       {330, 170, 60, 26},
       [](QWidget* f) {
         auto* b = new TXtSpeedButton(f);
         b->SetCaption(QStringLiteral("Speed"));
         return b;
       },
       [](QWidget* w, TkSkinManager* m, Kept& k) {
         auto link = std::make_shared<TkCommonData>(w, true);
         k.push_back(link);
         k.push_back(std::make_shared<TkaSpeedButtonHandler>(w, QStringLiteral("SPEEDBUTTON"), m,
                                                             link.get()));
       }},
      {"tool_bar",
       {0, 0, 420, 40},
       [](QWidget* f) {
         auto* bar = new QToolBar(f);
         bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
         bar->addAction(QStringLiteral("New"));
         bar->addAction(QStringLiteral("Open"))->setEnabled(false);
         bar->addSeparator();
         bar->addAction(QStringLiteral("Save"));
         return bar;
       },
       [](QWidget* w, TkSkinManager* m, Kept& k) {
         KeepWrapper<TkaToolBarVCLWnd>(k, w, m, "TOOLBAR", true);
       }},
      {"status_bar",
       {0, 300, 420, 24},
       [](QWidget* f) {
         auto* bar = new QStatusBar(f);
         bar->setSizeGripEnabled(false);
         bar->addWidget(new QLabel(QStringLiteral("Ready")), 1);
         bar->addWidget(new QLabel(QStringLiteral("Page 1")));
         return bar;
       },
       [](QWidget* w, TkSkinManager* m, Kept& k) {
         KeepWrapper<TkaStatusBarWnd>(k, w, m, "STATUSBAR", true);
       }},
      {"list_view",
       {430, 10, 180, 120},
       [](QWidget* f) { return Table(f, 12); },
       [](QWidget* w, TkSkinManager* m, Kept& k) { KeepWrapper<TkaListViewWnd>(k, w, m, "EDIT"); }},
      {"combo_box",
       {430, 140, 150, 24},
       [](QWidget* f) {
         auto* box = new QComboBox(f);
         box->addItems({QStringLiteral("First"), QStringLiteral("Second")});
         return box;
       },
       [](QWidget* w, TkSkinManager* m, Kept& k) {
         KeepWrapper<TkaComboBoxWnd>(k, w, m, "COMBOBOX");
       }},
      {"grid",
       {430, 175, 180, 100},
       [](QWidget* f) { return Table(f, 3); },
       [](QWidget* w, TkSkinManager* m, Kept& k) { KeepWrapper<TkaGridWnd>(k, w, m, "EDIT"); }},
      {"size_grip",
       {400, 280, 16, 16},
       [](QWidget* f) { return new QSizeGrip(f); },
       [](QWidget* w, TkSkinManager* m, Kept& k) {
         KeepWrapper<TkaSizerWnd>(k, w, m, "CHECKBOX");
       }},
  };
  return families;
}

using SampleForm = ControlForm;

}  // namespace

TEST_F(SampleForm, RendersEveryFamilySkinnedToPng) {
  form.resize(620, 324);
  std::vector<QWidget*> widgets;
  for (const Family& f : Families()) {
    QWidget* w = f.make(&form);
    w->setGeometry(f.place);
    w->setFocusPolicy(Qt::NoFocus);
    widgets.push_back(w);
  }
  Show();
  SkinOn();
  Kept kept;
  for (std::size_t i = 0; i < widgets.size(); ++i) Families()[i].wrap(widgets[i], Manager(), kept);
  const QString folder = QCoreApplication::applicationDirPath() + "/skinned_sample_form";
  QDir().mkpath(folder);
  const QImage whole = Grab(&form);
  ASSERT_TRUE(whole.save(folder + "/form.png"));
  for (std::size_t i = 0; i < widgets.size(); ++i) {
    SCOPED_TRACE(Families()[i].name);
    const QImage part = Grab(widgets[i]);
    EXPECT_TRUE(part.save(folder + "/" + Families()[i].name + ".png"));
    // Each family shows something of the skin, not only the form.
    EXPECT_FALSE(InkBox(part, kFormColor).isNull());
  }
  SkinOff();
  // Wrappers go before the links they paint through: last kept, first freed.
  while (!kept.empty()) kept.pop_back();
}
