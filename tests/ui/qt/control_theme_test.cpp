// The control theme: which controls it takes over, once each, the creation
// hook, giving every control its own look back, frame colours and hot state.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <memory>
#include <thread>

#include "ui/qt/control_theme.h"
#include "ui/qt/theme_style.h"

namespace {

using ui::ThemeClass;

// A button that paints itself.
class PaintedButton : public QPushButton {
  Q_OBJECT

 public:
  using QPushButton::QPushButton;
};

class ControlThemeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<QWidget>();
    window_->resize(400, 300);
    push_ = new QPushButton("确定", window_.get());
    toggle_ = new QPushButton("切换", window_.get());
    toggle_->setCheckable(true);
    icon_only_ = new QPushButton(window_.get());
    icon_only_->setIcon(QApplication::style()->standardIcon(QStyle::SP_DialogOkButton));
    check_ = new QCheckBox("选择", window_.get());
    radio_ = new QRadioButton("单选", window_.get());
    group_ = new QGroupBox("组", window_.get());
    edit_ = new QLineEdit(window_.get());
    edit_->setGeometry(10, 200, 120, 24);
    multi_line_ = new QPlainTextEdit(window_.get());
    combo_ = new QComboBox(window_.get());
    combo_->addItems({"甲", "乙"});
    combo_->view();  // the drop-down list is made on first use
    spin_ = new QSpinBox(window_.get());
    list_ = new QListWidget(window_.get());
    slider_ = new QSlider(window_.get());
    progress_ = new QProgressBar(window_.get());
    tabs_ = new QTabWidget(window_.get());
    tool_ = new QToolButton(window_.get());
    painted_ = new PaintedButton("自绘", window_.get());
    marked_ = new QPushButton("标记", window_.get());
    marked_->setProperty(ui::kOwnerDrawnProperty, true);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }
  void TearDown() override {
    ui::ControlTheme(0);
    window_.reset();
  }

  std::vector<QWidget*> Eligible() const {
    return {push_,
            toggle_,
            check_,
            radio_,
            group_,
            edit_,
            multi_line_,
            combo_,
            combo_->view(),
            spin_,
            spin_->findChild<QLineEdit*>()};
  }
  std::vector<QWidget*> Ineligible() const {
    return {icon_only_, list_, slider_, progress_, tabs_, tool_, painted_, marked_, window_.get()};
  }

  std::unique_ptr<QWidget> window_;
  QPushButton* push_;
  QPushButton* toggle_;
  QPushButton* icon_only_;
  QCheckBox* check_;
  QRadioButton* radio_;
  QGroupBox* group_;
  QLineEdit* edit_;
  QPlainTextEdit* multi_line_;
  QComboBox* combo_;
  QSpinBox* spin_;
  QListWidget* list_;
  QSlider* slider_;
  QProgressBar* progress_;
  QTabWidget* tabs_;
  QToolButton* tool_;
  PaintedButton* painted_;
  QPushButton* marked_;
};

TEST_F(ControlThemeTest, ControlsAreClassedLikeThePlatformClasses) {
  EXPECT_EQ(ui::ThemeClassOf(push_), ThemeClass::kButton);
  EXPECT_EQ(ui::ThemeClassOf(toggle_), ThemeClass::kButton);
  EXPECT_EQ(ui::ThemeClassOf(check_), ThemeClass::kButton);
  EXPECT_EQ(ui::ThemeClassOf(radio_), ThemeClass::kButton);
  EXPECT_EQ(ui::ThemeClassOf(group_), ThemeClass::kButton);
  EXPECT_EQ(ui::ThemeClassOf(edit_), ThemeClass::kEdit);
  EXPECT_EQ(ui::ThemeClassOf(multi_line_), ThemeClass::kEdit);
  EXPECT_EQ(ui::ThemeClassOf(combo_), ThemeClass::kComboBox);
  EXPECT_EQ(ui::ThemeClassOf(combo_->view()), ThemeClass::kComboList);
  EXPECT_EQ(ui::ThemeClassOf(spin_), ThemeClass::kUpDown);
  for (QWidget* other : Ineligible()) {
    EXPECT_EQ(ui::ThemeClassOf(other), ThemeClass::kNone) << other->metaObject()->className();
  }
}

TEST_F(ControlThemeTest, SwitchingOnTakesOverTheEligibleControlsOnly) {
  EXPECT_EQ(ui::ControlTheme(3), 1);
  EXPECT_EQ(ui::ActiveThemeScheme(), 3);
  EXPECT_EQ(ui::ThemeHookCount(), 1);
  for (QWidget* control : Eligible()) {
    EXPECT_TRUE(ui::ThemeHolds(control)) << control->metaObject()->className();
    EXPECT_NE(dynamic_cast<ui::ThemeStyle*>(control->style()), nullptr);
  }
  for (QWidget* control : Ineligible()) {
    EXPECT_FALSE(ui::ThemeHolds(control)) << control->metaObject()->className();
    EXPECT_EQ(control->style(), QApplication::style());
  }
  EXPECT_EQ(ui::ThemeTakenOverCount(), static_cast<int>(Eligible().size()));
}

TEST_F(ControlThemeTest, SwitchingOnTwiceKeepsOneHookAndTakesEachControlOnce) {
  QStyle* own = QStyleFactory::create("Fusion");
  edit_->setStyle(own);
  QPalette own_palette = check_->palette();
  own_palette.setColor(QPalette::Highlight, QColor(1, 2, 3));
  check_->setPalette(own_palette);
  const QColor push_highlight = push_->palette().color(QPalette::Highlight);

  ui::ControlTheme(3);
  ui::ControlTheme(3);
  EXPECT_EQ(ui::ThemeHookCount(), 1);
  EXPECT_EQ(ui::ThemeTakenOverCount(), static_cast<int>(Eligible().size()));

  // Off once gives back what each control had before the first switch-on; a
  // control taken over twice would get the theme's look back instead.
  EXPECT_EQ(ui::ControlTheme(0), 1);
  EXPECT_EQ(ui::ThemeHookCount(), 0);
  EXPECT_EQ(ui::ActiveThemeScheme(), 0);
  EXPECT_EQ(edit_->style(), own);
  EXPECT_EQ(push_->style(), QApplication::style());
  EXPECT_EQ(check_->palette().color(QPalette::Highlight), QColor(1, 2, 3));
  EXPECT_EQ(push_->palette().color(QPalette::Highlight), push_highlight);
  EXPECT_FALSE(push_->testAttribute(Qt::WA_SetPalette));
  for (QWidget* control : Eligible()) {
    EXPECT_EQ(dynamic_cast<ui::ThemeStyle*>(control->style()), nullptr);
  }
  EXPECT_EQ(ui::ControlTheme(0), 0) << "no hook left to remove";
  edit_->setStyle(nullptr);
  delete own;
}

TEST_F(ControlThemeTest, ControlsCreatedLaterAreTakenOverByTheHook) {
  ui::ControlTheme(2);
  auto* later = new QPushButton("后来", window_.get());
  auto* later_label = new QProgressBar(window_.get());
  QCoreApplication::processEvents();
  EXPECT_TRUE(ui::ThemeHolds(later));
  EXPECT_FALSE(ui::ThemeHolds(later_label));

  // A top-level control is caught when it is first polished.
  auto top = std::make_unique<QCheckBox>("顶层");
  top->show();
  QCoreApplication::processEvents();
  EXPECT_TRUE(ui::ThemeHolds(top.get()));

  ui::ControlTheme(0);
  auto after_off = new QPushButton("关后", window_.get());
  QCoreApplication::processEvents();
  EXPECT_FALSE(ui::ThemeHolds(after_off));
  EXPECT_EQ(after_off->style(), QApplication::style());
}

TEST_F(ControlThemeTest, FramesTakeTheSchemeColour) {
  const QColor expected[] = {QColor(123, 158, 189), QColor(164, 185, 127), QColor(198, 197, 215)};
  for (int scheme = 1; scheme <= 3; ++scheme) {
    ui::ControlTheme(scheme);
    const QImage image = edit_->grab().toImage();
    EXPECT_EQ(image.pixelColor(0, image.height() / 2), expected[scheme - 1]) << scheme;
  }
  edit_->setEnabled(false);
  const QColor face = edit_->palette().color(QPalette::Active, QPalette::Button);
  const QImage disabled = edit_->grab().toImage();
  EXPECT_EQ(disabled.pixelColor(0, disabled.height() / 2),
            QColor(std::max(face.red() - 32, 0), std::max(face.green() - 32, 0),
                   std::max(face.blue() - 32, 0)));
}

TEST_F(ControlThemeTest, MouseOverMakesAControlHotUntilItLeaves) {
  ui::ControlTheme(1);
  const QColor frame(123, 158, 189);
  const QImage cold = push_->grab().toImage();
  QEvent enter(QEvent::Enter);
  QCoreApplication::sendEvent(push_, &enter);
  EXPECT_TRUE(ui::ThemeControlIsHot(push_));
  const QImage hot = push_->grab().toImage();
  EXPECT_EQ(hot.pixelColor(1, hot.height() / 2), frame) << "a hot control has an inner frame";
  EXPECT_NE(cold.pixelColor(1, cold.height() / 2), frame);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(push_, &leave);
  EXPECT_FALSE(ui::ThemeControlIsHot(push_));
  EXPECT_EQ(push_->grab().toImage(), cold);
}

TEST_F(ControlThemeTest, AThreadWithoutWindowsTakesOverNothing) {
  int answer_on = 0;
  int answer_off = 0;
  int answer_off_again = -1;
  std::thread worker([&] {
    answer_on = ui::ControlTheme(2);
    answer_off = ui::ControlTheme(0);
    answer_off_again = ui::ControlTheme(0);
  });
  worker.join();
  EXPECT_EQ(answer_on, 1);
  EXPECT_EQ(answer_off, 1) << "the thread's hook was removed";
  EXPECT_EQ(answer_off_again, 0) << "no hook left to remove";
  EXPECT_EQ(ui::ThemeHookCount(), 0);
  EXPECT_FALSE(ui::ThemeHolds(push_));
}

// A style given as a text is no number: the program ends rather than taking
// the low bits of a pointer as the style.
TEST(ControlThemeDeathTest, AStyleThatIsNoNumberIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  rt::ValueRecord result, args[] = {rt::ValueRecord::Text("3")};
  EXPECT_EXIT(ui::cmd::ControlTheme(&result, 1, args), testing::ExitedWithCode(255),
              "欲转换数据类型不是数值");
}

}  // namespace

#include "control_theme_test.moc"
