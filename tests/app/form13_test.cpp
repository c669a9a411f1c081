#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <QPushButton>

#include "app/Form13.h"
#include "tests/app/AppFixture.h"

namespace {
class SaveOption : public AppTest {};
} // namespace

TEST_F(SaveOption, DefaultsAndStoredChoices)
{
    QString separator = ",";
    {
        Form13 dialog(nullptr, separator);
        EXPECT_EQ(dialog.Combo1->count(), 5);
        EXPECT_EQ(dialog.Combo1->currentIndex(), 0);
        EXPECT_EQ(dialog.Text2->text(), "-");
        EXPECT_FALSE(dialog.Text2->isEnabled());
        EXPECT_FALSE(dialog.Check20->isChecked());
        EXPECT_FALSE(dialog.Check21->isChecked());
        // Nothing is cut off or overlaps, whatever the font.
        for (QWidget* w : std::initializer_list<QWidget*>{dialog.Check20, dialog.Check21, dialog.PushButton4})
            EXPECT_LE(w->geometry().right(), dialog.width()) << w->objectName().toStdString();
        EXPECT_GE(dialog.Check21->width(), dialog.Check21->sizeHint().width());
        EXPECT_LT(dialog.Check21->geometry().bottom(), dialog.PushButton2->y());
    }
    storeSetting(SettingKey::StandardQuoting, "1");
    storeSetting(SettingKey::Separator, "4");
    storeSetting(SettingKey::OtherSeparator, "#");
    storeSetting(SettingKey::SaveQuotes, "1");
    {
        Form13 dialog(nullptr, separator);
        EXPECT_EQ(dialog.Combo1->currentIndex(), 4);
        EXPECT_TRUE(dialog.Text2->isEnabled());
        EXPECT_EQ(dialog.Text2->text(), "#");
        EXPECT_TRUE(dialog.Check20->isChecked());
        EXPECT_TRUE(dialog.Check21->isChecked());
    }
    storeSetting(SettingKey::Separator, "9");
    Form13 dialog(nullptr, separator);
    EXPECT_EQ(dialog.Combo1->currentIndex(), 0) << "an index out of range counts as a comma";
    EXPECT_TRUE(m_ask.asked.empty());
}

TEST_F(SaveOption, OkStoresAndSetsTheSeparatorCancelDoesNot)
{
    QString separator = ",";
    {
        Form13 dialog(nullptr, separator);
        dialog.Combo1->setCurrentIndex(3);
        dialog.Check20->setChecked(true);
        dialog.Check21->setChecked(true);
        dialog.Text2->setText("~");
        clickControl(dialog, QStringLiteral("PushButton4"));
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(separator, ",");
    EXPECT_TRUE(storedSetting(SettingKey::Separator).isEmpty());
    EXPECT_TRUE(storedSetting(SettingKey::StandardQuoting).isEmpty());
    {
        Form13 dialog(nullptr, separator);
        dialog.Combo1->setCurrentIndex(3);
        dialog.Check20->setChecked(true);
        dialog.Check21->setChecked(true);
        clickControl(dialog, QStringLiteral("PushButton2"));
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(storedSetting(SettingKey::StandardQuoting), "1");
    EXPECT_EQ(separator, "|");
    EXPECT_EQ(storedSetting(SettingKey::Separator), "3");
    EXPECT_EQ(storedSetting(SettingKey::OtherSeparator), "-");
    EXPECT_EQ(storedSetting(SettingKey::SaveQuotes), "1");
    {
        Form13 dialog(nullptr, separator);
        dialog.Combo1->setCurrentIndex(4);
        dialog.Text2->setText("::");
        clickControl(dialog, QStringLiteral("PushButton2"));
    }
    EXPECT_EQ(separator, "::");
    EXPECT_EQ(storedSetting(SettingKey::Separator), "4");
    EXPECT_EQ(storedSetting(SettingKey::OtherSeparator), "::");
}

TEST_F(SaveOption, OtherNeedsASeparator)
{
    QString separator = ";";
    Form13 dialog(nullptr, separator);
    dialog.show();
    dialog.Combo1->setCurrentIndex(4);
    dialog.Text2->clear();
    clickControl(dialog, QStringLiteral("PushButton2"));
    ASSERT_EQ(m_ask.asked.size(), 1u);
    EXPECT_EQ(m_ask.asked[0].text, "You must input a separator.");
    EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
    EXPECT_EQ(separator, ";");
    EXPECT_TRUE(storedSetting(SettingKey::Separator).isEmpty());
    EXPECT_TRUE(storedSetting(SettingKey::StandardQuoting).isEmpty());

    dialog.Text2_LostFocus();
    EXPECT_EQ(m_ask.asked.size(), 2u);
    dialog.Text2->setText("/");
    dialog.Text2_LostFocus();
    EXPECT_EQ(m_ask.asked.size(), 2u) << "a separator is there: no message";
}

TEST_F(SaveOption, SaveOptionsButtonChangesTheNextLoad)
{
    Form1& w = window();
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<Form13*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->Combo1->setCurrentIndex(1);
        clickControl(*dialog, QStringLiteral("PushButton2"));
    });
    click("PushButton28");
    EXPECT_EQ(w.currentSeparator(), ";");
    open("A;B\r\n1;2\r\n");
    EXPECT_EQ(headings(), (QStringList{"A", "B"}));
}
