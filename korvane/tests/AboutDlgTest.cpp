#include <QIcon>
#include <QLabel>
#include <QTextEdit>

#include <gtest/gtest.h>

#include "aboutdlg.h"

TEST(AboutDlgTest, ShowsNameVersionAndTheReadOnlyTextFromItsBeginning) {
  AboutDlg page;
  EXPECT_EQ(page.objectName(), "AboutDlg");
  EXPECT_EQ(page.windowTitle(), "About");
  EXPECT_FALSE(page.windowIcon().isNull());
  EXPECT_EQ(page.findChild<QLabel*>("label")->text(), "ZelvoOPC");
  EXPECT_EQ(page.findChild<QLabel*>("label_2")->text(), "Version:2.00.01");
  auto* text = page.findChild<QTextEdit*>("textEdit");
  EXPECT_TRUE(text->isReadOnly());
  EXPECT_EQ(text->textCursor().position(), 0);
  EXPECT_TRUE(text->toPlainText().contains("Licence"));
}
