// The window templates as data, without a display: what the builder relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "platform/dialog_template.h"
#include "res/resource.h"
#include "res/templates.h"

namespace velk {
namespace {

TEST(Templates, DialogUnitsBecomePixelsRoundedAsMulDivRounds)
{
    struct Case {
        int units;
        int x;
        int y;
    };
    const Case cases[] = {{0, 0, 0},       {4, 7, 6},         {379, 663, 569},  {399, 698, 599},
                          {166, 291, 249}, {173, 303, 260},   {1, 2, 2},        {-1, -2, -2},
                          {2, 4, 3},       {-2, -4, -3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units);
        EXPECT_EQ(DluToPixelsX(c.units), c.x);
        EXPECT_EQ(DluToPixelsY(c.units), c.y);
    }
}

TEST(Templates, MainWindowHoldsSixtyNineControlsInsideItsFrame)
{
    const DialogTemplate* t = FindDialogTemplate(IDD_SENSOR_DIALOG);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->cx, 379);
    EXPECT_EQ(t->cy, 399);
    EXPECT_NE(t->style & WS_VISIBLE, 0u);
    EXPECT_STREQ(t->caption, "VELK-C4-M210ｻﾝﾌﾟﾙ");
    ASSERT_EQ(t->items.size(), 69u);

    std::set<int> ids;
    std::set<int> disabled;
    std::vector<int> tabStops;
    for (std::size_t i = 0; i < t->items.size(); ++i) {
        const DialogItem& item = t->items[i];
        SCOPED_TRACE(item.id);
        if (item.id != kNoId) {
            EXPECT_TRUE(ids.insert(item.id).second) << "duplicate id";
        }
        EXPECT_GE(item.x, 0);
        EXPECT_GE(item.y, 0);
        EXPECT_LE(item.x + item.cx, t->cx);
        // The combo box's height is that of its dropped list.
        if (item.cls != ControlClass::ComboBox) {
            EXPECT_LE(item.y + item.cy, t->cy);
        }
        EXPECT_EQ((item.style & WS_VISIBLE) == 0, item.id == IDC_CHART);
        if ((item.style & WS_DISABLED) != 0) disabled.insert(item.id);
        if ((item.style & WS_TABSTOP) != 0) tabStops.push_back(item.id);
        if (item.cls == ControlClass::UpDown) {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(t->items[i - 1].cls, ControlClass::Edit) << "an up-down's buddy is the edit box before it";
            EXPECT_EQ(item.id - IDC_SPIN_CAP_RED, t->items[i - 1].id - IDC_CAP_RED);
        }
    }
    EXPECT_EQ(disabled, (std::set<int>{1003, 1030, 1033, 1034, 1048, 1050}));
    EXPECT_EQ(tabStops, (std::vector<int>{1000, 1002, 1003, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018, 1019,
                                          1020, 1021, 1022, 1033, 1034, 1030, 1050, 1048, 1029, IDOK}));
    // Exactly one default button, Connect; the Exit button is the OK command.
    int defaults = 0;
    for (const DialogItem& item : t->items)
        if (item.cls == ControlClass::Button && (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            ++defaults;
            EXPECT_EQ(item.id, IDC_CONNECT);
        }
    EXPECT_EQ(defaults, 1);
}

TEST(Templates, AboutBoxAndStrings)
{
    const DialogTemplate* t = FindDialogTemplate(IDD_ABOUTBOX);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->caption, "このｿﾌﾄについて");
    EXPECT_EQ(t->style & WS_VISIBLE, 0u);
    ASSERT_EQ(t->items.size(), 6u);
    for (const DialogItem& item : t->items) {
        EXPECT_LE(item.x + item.cx, t->cx);
        EXPECT_LE(item.y + item.cy, t->cy);
    }
    EXPECT_EQ(t->items[3].id, IDOK);
    EXPECT_EQ(FindDialogTemplate(101), nullptr);

    EXPECT_STREQ(FindStringResource(IDS_ABOUTBOX), "VELK のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    EXPECT_STREQ(FindStringResource(AFX_IDP_FAILED_TO_LAUNCH_HELP), "ﾍﾙﾌﾟの起動に失敗しました。");
    EXPECT_EQ(FindStringResource(102), nullptr);
}

}  // namespace
}  // namespace velk
