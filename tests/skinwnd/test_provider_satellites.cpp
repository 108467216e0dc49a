// The satellites under a real form provider: switching the skin on skins
// the form's children through its control adapter and puts the extended
// border around the form; switching it off gives every child its own look
// back and drops the border; switching it on again skins them anew.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "form_skin.h"
#include "qt_test_application.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skinwnd/form_provider.h"
#include "winshim/non_client.h"
#include "winshim/system_profile.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skin;
namespace ws = kelmo::winshim;
namespace tf = kelmo::skinwnd::testing_form;

namespace {

TEST(ProviderSatellites, ChildrenAndBorderFollowTheSkin) {
  ws::ResetSystemProfile();
  QTemporaryDir dir;
  tf::WriteFormSkin(dir.path());
  // The form skin with sections for the children.
  kelmo::skin::testing_fixture::WriteFile(
      dir.path() + "/Form/Options.dat",
      (tf::FormOptions(false) + "[BUTTON]\r\nCOLOR=$FFFFFF\r\n[CHECKBOX]\r\nCOLOR=$00C0FF\r\n")
          .toLatin1());
  TkSkinManagerComponent manager;
  manager.SetSkinDirectory(dir.path());
  manager.SetSkinName(QStringLiteral("Form"));
  manager.ThirdLists[1] = QStringList{QStringLiteral("QPushButton")};
  manager.ThirdLists[3] = QStringList{QStringLiteral("QCheckBox")};
  manager.ShadowMargins = {6, 6, 8, 8};
  manager.SetExtendedBorders(true);

  QWidget form;
  auto* button = new QPushButton(QStringLiteral("OK"), &form);
  button->setGeometry(10, 10, 80, 26);
  auto* check = new QCheckBox(QStringLiteral("Check"), &form);
  check->setGeometry(10, 50, 100, 20);
  auto* edit = new QLineEdit(&form);  // not listed
  edit->setGeometry(10, 80, 100, 22);
  form.setGeometry(200, 150, 300, 200);
  form.show();
  QCoreApplication::processEvents();
  auto provider = std::make_unique<TkSkinProvider>(&form);
  provider->AfterConstruction();
  provider->Loaded();
  QCoreApplication::processEvents();

  const auto wrapped = [](QWidget* w) { return WrapperOfWnd(ws::HandleOf(w)) != nullptr; };
  ASSERT_TRUE(provider->Adapter);
  EXPECT_EQ(provider->Adapter->Count(), 2);
  EXPECT_TRUE(wrapped(button));
  EXPECT_TRUE(wrapped(check));
  EXPECT_FALSE(wrapped(edit));
  EXPECT_EQ(AskControl(button, scIsSkinned), 1);
  // The border window lies around the form, behind it, shown.
  ASSERT_TRUE(provider->BorderForm);
  QWidget* border = provider->BorderForm->AForm.get();
  EXPECT_TRUE(border->isVisible());
  EXPECT_TRUE(border->geometry().contains(form.geometry().topLeft()));
  EXPECT_EQ(border->pos(), form.geometry().topLeft() - provider->BorderForm->Offsets());
  EXPECT_EQ(border->size(), provider->SkinData()->FCacheBmp.size());

  manager.SetActive(false);
  QCoreApplication::processEvents();
  EXPECT_FALSE(provider->Adapter);
  EXPECT_FALSE(provider->BorderForm);
  EXPECT_FALSE(wrapped(button));
  EXPECT_FALSE(wrapped(check));
  EXPECT_NE(AskControl(button, scIsSkinned), 1);

  manager.SetActive(true);
  QCoreApplication::processEvents();
  EXPECT_TRUE(wrapped(button));
  EXPECT_TRUE(wrapped(check));
  EXPECT_FALSE(wrapped(edit));
  provider.reset();
  EXPECT_FALSE(wrapped(button));
}

}  // namespace
