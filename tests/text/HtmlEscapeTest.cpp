#include <gtest/gtest.h>

#include <string>

#include "text/HtmlEscape.h"

TEST(HtmlEscapeTest, MarkupBecomesEntitiesAndEverythingElseStays) {
    std::string out = "<td>";
    appendHtmlEscaped(out, "Tom & Jerry's \"<b>\" Ä");
    EXPECT_EQ(out, "<td>Tom &amp; Jerry&#39;s &quot;&lt;b&gt;&quot; Ä");
    out.clear();
    appendHtmlEscaped(out, "");
    appendHtmlEscaped(out, "&amp;");
    EXPECT_EQ(out, "&amp;amp;");
}
