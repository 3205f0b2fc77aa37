// The folder paths of the list with Windows' own rules: drive roots, doubled backslashes and network paths.

#include "app/folder_list.h"

#include <gtest/gtest.h>

namespace tarnwick::app {
namespace {

TEST(WindowsFolderRows, ThePickersChoiceBecomesOneRowEndingInOneBackslash)
{
    struct Case {
        const char *chosen;
        const char *row;
    };
    const Case cases[] = {
        {"C:\\", "C:\\"}, // a drive root comes with its backslash
        {"D:\\Data", "D:\\Data\\"},
        {"\\\\server\\share", "\\\\server\\share\\"},
        {"\\\\server\\share\\Reports", "\\\\server\\share\\Reports\\"},
        {"C:\\A\\\\B", "C:\\A\\B\\"},
        {"", ""}, // cancelled
    };
    for (const Case &c : cases)
        EXPECT_EQ(ListedPathFromPicker(c.chosen), c.row) << c.chosen;
}

TEST(WindowsFolderRows, ANetworkPathKeepsItsTwoLeadingBackslashes)
{
    struct Case {
        const char *path;
        const char *normalised;
    };
    const Case cases[] = {
        {"\\\\server\\share\\", "\\\\server\\share\\"},
        {"\\server\\share\\", "\\\\server\\share\\"},
        {"\\\\\\server\\\\share\\", "\\\\server\\share\\"},
        {"C:\\\\\\W\\", "C:\\\\W\\"}, // pairs collapse left to right, once
        {"C:/W/", "C:/W/"}, // typed with slashes: left as typed
    };
    for (const Case &c : cases)
        EXPECT_EQ(NormalisePath(c.path), c.normalised) << c.path;
    EXPECT_EQ(ListedPathFromEntry("\\\\server\\share\\sub\\\\x\\"), "\\\\server\\share\\sub\\\\x\\")
        << "an entry of a network folder is kept as the walk gave it";
}

} // namespace
} // namespace tarnwick::app
