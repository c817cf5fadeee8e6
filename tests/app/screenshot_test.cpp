// Saves a picture of the main window as it opens, with a few imported codes,
// for people to look at: main_window.png in the build folder. (The README's
// picture of a filled window comes from the viewer's screenshot mode.)
#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>

#include "app/main_form.h"
#include "ui/control_theme.h"
#include "ui/form_loader.h"
#include "ui/qt/window_registry.h"

namespace {

TEST(Screenshot, MainWindow) {
  app::RegisterMainForm();
  ui::LoadStartWindow(app::kMainWindow);
  const ui::LoadedWindow* loaded = ui::FindLoadedWindow(app::kMainWindow);
  QWidget* window = loaded->widget;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  auto* edit = static_cast<QLineEdit*>(loaded->FindUnit(app::unit::CodeBox)->widget());
  QWidget* import = loaded->FindUnit(app::unit::ImportButton)->widget();
  for (const char* code : {"600519", "000001"}) {
    edit->setText(QString::fromLatin1(code));
    QTest::mouseClick(import, Qt::LeftButton);
  }

  const QPixmap picture = window->grab();
  EXPECT_EQ(window->frameGeometry().size(), QSize(679, 429));
  EXPECT_EQ(picture.size(), window->size());
  const QString build_copy = QDir(QStringLiteral(QUOTEVIEW_BUILD_DIR)).filePath("main_window.png");
  EXPECT_TRUE(picture.save(build_copy));

  ui::ControlTheme(0);
  ui::UnloadAllWindows();
}

}  // namespace
