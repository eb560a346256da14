// The main window of the window tests' fixture, driven with real clicks and
// keys, with COM1 mapped to a pseudo-terminal a test made.
#pragma once

#include <QLineEdit>

#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "tests/support/board_end.h"

namespace velk::test {

// Every CAP, INT and OFFSET edit box in id order, and what the defaults show.
inline constexpr int kParameterEdits[12] = {IDC_CAP_RED,    IDC_CAP_GREEN,    IDC_CAP_BLUE,    IDC_CAP_CLEAR,
                                            IDC_INT_RED,    IDC_INT_GREEN,    IDC_INT_BLUE,    IDC_INT_CLEAR,
                                            IDC_OFFSET_RED, IDC_OFFSET_GREEN, IDC_OFFSET_BLUE, IDC_OFFSET_CLEAR};
inline const std::vector<std::string> kDefaultTexts = {"15",   "15",   "15", "15", "1023", "1023",
                                                       "1023", "1023", "0",  "0",  "0",    "0"};

inline const std::string kDefaultWrite = "$ACW0F,0F,0F,0F,03FF,03FF,03FF,03FF*79";

class WindowFixture : public UiFixture {
protected:
    // Maps COM1 to `device` (every other port to nothing), selects COM1 and
    // opens the window.
    void OpenWindow(const std::string& device)
    {
        WriteProfile("COM1", {{1, device}});
        Open();
    }

    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(Item(id)); }

    // Replaces an edit box's text the way an operator does: select all, type.
    void Type(int id, const QString& text)
    {
        QLineEdit* edit = Edit(id);
        ASSERT_NE(edit, nullptr) << id;
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Delete);
        else QTest::keyClicks(edit, text);
    }

    std::vector<std::string> ParameterTexts() const
    {
        std::vector<std::string> texts;
        for (int id : kParameterEdits) texts.push_back(Text(id));
        return texts;
    }

    void Connect()
    {
        Click(IDC_CONNECT);
        ASSERT_TRUE(Enabled(IDC_DISCONNECT)) << "not connected: " << Dlg().m_failure;
    }

    // Waits, handling the window's messages, until the text of `id` is `text`.
    bool WaitForText(int id, const std::string& text, int timeoutMs = 5000)
    {
        return QTest::qWaitFor([&] { return Text(id) == text; }, timeoutMs);
    }

    // The texts of the message boxes shown, in order.
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const auto& box : boxes_) texts.push_back(box.text);
        return texts;
    }
};

// The window connected on COM1 to a board end of the test's own, which
// reports "idle" until a test sets another line.
class ConnectedToBoardEnd : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        ASSERT_TRUE(far_.ok());
        far_.SetLine("idle\n");
        OpenWindow(far_.DevicePath());
        Connect();
    }

    BoardEnd far_;
};

// The frames from index `from` on.
inline std::vector<std::string> From(const std::vector<std::string>& frames, std::size_t from)
{
    return from < frames.size() ? std::vector<std::string>(frames.begin() + static_cast<std::ptrdiff_t>(from), frames.end())
                                : std::vector<std::string>{};
}

}  // namespace velk::test
