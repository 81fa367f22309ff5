// The engine's messages and property frames appear as Qt dialogs owned by the main window.
#include <QDialog>
#include <QMessageBox>
#include <QTabWidget>

#include "PlayerTest.h"
#include "Unit1.h"
#include "platform/window/DialogPresenter.h"

namespace orvo::test {
namespace {

std::vector<int32_t> g_pages;
void RecordPages(int32_t, const char*, int32_t hasPages, int32_t) { g_pages.push_back(hasPages); }

TEST_F(PlayerTest, EngineMessagesAreQtMessageBoxesOwnedByTheMainWindow) {
    const struct {
        UINT type;
        QMessageBox::Icon icon;
        int answer;
    } cases[] = {
        {MB_OK | MB_ICONERROR, QMessageBox::Critical, IDOK},
        {MB_OK | MB_ICONINFORMATION, QMessageBox::Information, IDOK},
        {MB_YESNO | MB_ICONQUESTION, QMessageBox::Question, IDNO},
        {MB_OKCANCEL | MB_ICONWARNING, QMessageBox::Warning, IDCANCEL},
    };
    for (const auto& c : cases) {
        QString text, caption;
        QWidget* parent = nullptr;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        OnNextModal([&](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            ASSERT_NE(box, nullptr);
            text = box->text(), caption = box->windowTitle(), parent = box->parentWidget(), icon = box->icon();
        });
        EXPECT_EQ(MessageBoxW(HWND(FormPlayer->winId()), u"FAILED", u"Error", c.type), c.answer) << "closed unanswered";
        EXPECT_EQ(text, "FAILED");
        EXPECT_EQ(caption, "Error");
        EXPECT_EQ(parent, FormPlayer);
        EXPECT_EQ(icon, c.icon);
    }
}

TEST_F(PlayerTest, AFilterPropertyPageIsAQtDialogOwnedByTheMainWindow) {
    Open2D("flat.mkv");
    ASSERT_NE(CurrentChannel, 0u);
    g_pages.clear();
    ASSERT_GT(Lumex_ChannelGetConnectedFilters(CurrentChannel, RecordPages, 0), 0);
    const auto withPages = std::find(g_pages.begin(), g_pages.end(), 1);
    ASSERT_NE(withPages, g_pages.end()) << "the splitter has a property page";
    int tabs = 0;
    QWidget* parent = nullptr;
    OnNextModal([&](QWidget* dialog) {
        parent = dialog->parentWidget();
        if (auto* pages = dialog->findChild<QTabWidget*>()) tabs = pages->count();
    });
    Lumex_ShowFilterPropertyPage(CurrentChannel, int32_t(withPages - g_pages.begin()), LUMEX_HWND(FormPlayer->winId()));
    EXPECT_EQ(parent, FormPlayer);
    EXPECT_GE(tabs, 1);
}

}  // namespace
}  // namespace orvo::test
