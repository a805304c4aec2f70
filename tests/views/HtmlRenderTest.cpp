#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "ViewFixture.h"
#include "support/CapturedOutput.h"
#include "views/DiagnosticPagesHtml.h"
#include "views/FilterHtml.h"
#include "views/LibraryPageHtml.h"
#include "views/RadioListHtml.h"

namespace {

// The footer's time varies from run to run.
std::string withoutTime(const std::string& html) {
    return std::regex_replace(html, std::regex("Processed in \\d+ ms"), "Processed in # ms");
}

std::string head(const std::string& path, int n) {
    return "<div class='dir'><div class='dirhead' id='d" + std::to_string(n) + "'><img src='gfx/dir.png'>" + path +
           " <button class='btnsync'></button> <button class='btnadd'></button></div>";
}

std::string artBox(int number) {
    return "<div><div class='artfloat'><img class='art' src='img&id=" + std::to_string(number) +
           "&nr=0'></div></div><div class='artbox'>";
}

const std::string kFolderColumns = "<table><col width='*'><col width='85'><col width='90'>\n";
const std::string kFlatColumns = "<table><col width='*'><col width='79'><col width='90'>\n";

std::string row(int32_t id, const std::string& text, const std::string& time, const std::string& rate,
                bool withArt = false, const std::string& button = "btnadd") {
    return "<tr id='s" + std::to_string(id) + "'><td" + (withArt ? " class='td_with_art'" : "") + ">" + text +
           "</td><td><button class='" + button + "'></button><button class='btnmenu'></button>" + time +
           "</td><td class='r" + rate + "'></td></tr>\n";
}

}  // namespace

class HtmlRenderTest : public ViewFixture {
protected:
    std::string page(bool queueMode = false) {
        std::string out;
        renderLibraryPage(out, view, queue, repository, filters, queueMode);
        return withoutTime(out);
    }
    void openArtLibrary() {
        openLibrary({{folder / "Art", "IMAGE cover.jpg\nAUDIO a.mp3\n TIME 01:00\n ARTIST Ann\n TITLE Song\n"
                                      " RATE 4\nLIST Sub\n"},
                     {folder / "Art/Sub", "AUDIO b.mp3\n"},
                     {folder / "Plain", "AUDIO c.mp3\n TIME 02:00\n RATE 5\n"},
                     {folder / "Empty", "IMAGE x.jpg\n"}},
                    {folder / "Art", folder / "Plain", folder / "Empty"});
    }
};

TEST_F(HtmlRenderTest, EmptyViewHasPageFieldsAndFooterOnly) {
    openLibrary({{folder / "None", ""}}, {folder / "None"});
    const std::string field = "<div class='pagefield'>Page <span id='currpage'>1</span> of 1 </div>";
    EXPECT_EQ(page(), field + field + "<div id='footer'>0 matches. Processed in # ms. Playtime: 0 min 0 sec. </div>");
    EXPECT_NE(repository.userNode().findChild("DISPLAY"), nullptr);
}

TEST_F(HtmlRenderTest, PageFieldListsFiftyNumbersAndTheLast) {
    std::string first;
    pageField(first, 0, 60);
    EXPECT_EQ(first.rfind("<div class='pagefield'>Page <span id='currpage'>1</span> of 60 "
                          "<img src='gfx/page_next.png' class='nextpage'><br><span class='currpagenum'>1</span> "
                          "<span class='pagenum'>2</span> ",
                          0),
              0u);
    EXPECT_NE(first.find("<span class='pagenum'>50</span>  ... <span class='pagenum'>60</span> </div>"),
              std::string::npos);
    EXPECT_EQ(first.find(">51<"), std::string::npos);
    EXPECT_EQ(first.find("prevpage"), std::string::npos);

    std::string last;
    pageField(last, 59, 60);
    EXPECT_EQ(last.rfind("<div class='pagefield'><img src='gfx/page_prev.png' class='prevpage'> Page "
                         "<span id='currpage'>60</span> of 60 <br><span class='pagenum'>1</span> ",
                         0),
              0u);
    EXPECT_NE(last.find(" ... <span class='currpagenum'>60</span> </div>"), std::string::npos);
    EXPECT_EQ(last.find("nextpage"), std::string::npos);
}

TEST_F(HtmlRenderTest, FolderViewShowsOwnOrParentArtAndDropsEmptyFoldersWhileFiltering) {
    openArtLibrary();
    ASSERT_EQ(view.folders().size(), 4u);
    const std::string field = "<div class='pagefield'>Page <span id='currpage'>1</span> of 1 </div>";
    const std::string sub = folder / "Art/Sub";
    EXPECT_EQ(page(), field + head(folder / "Art", 0) + artBox(0) + kFolderColumns +
                          row(at(0).id, "Ann - Song", "01:00", "4", true) + "</table></div></div>" +
                          head(sub, 1) + artBox(0) + kFolderColumns + row(at(1).id, "b.mp3", "-", "0", true) +
                          "</table></div></div>" + head(folder / "Plain", 2) + kFolderColumns +
                          row(at(2).id, "c.mp3", "02:00", "5") + "</table></div>" + head(folder / "Empty", 3) +
                          artBox(3) + kFolderColumns + "</table></div></div>" + field +
                          "<div id='footer'>3 matches. Processed in # ms. Playtime: 3 min 0 sec. </div>");

    filters.setSearch("c.mp3");
    rebuild();
    const std::string filtered = page();
    EXPECT_NE(filtered.find(head(folder / "Plain", 2) + kFolderColumns + row(at(0).id, "c.mp3", "02:00", "5") +
                            "</table></div><div class='pagefield'>"),
              std::string::npos);
    EXPECT_EQ(filtered.find("id='d0'"), std::string::npos);
    EXPECT_EQ(filtered.find("id='d3'"), std::string::npos);
}

TEST_F(HtmlRenderTest, QueueListsEveryEntryWithQueueRowIdsAndDeleteButtons) {
    openArtLibrary();
    ASSERT_TRUE(queue.add(at(2).id));
    ASSERT_TRUE(queue.add(at(0).id));
    EXPECT_EQ(page(true), kFlatColumns + row(1000000000, "c.mp3", "02:00", "5", false, "btndel") +
                              row(1000000001, "Ann - Song", "01:00", "4", false, "btndel") +
                              "</table><div id='footer'>Processed in # ms. </div>");
}

TEST_F(HtmlRenderTest, StoredTextsAreEscapedInRowsAndHeads) {
    openLibrary({{folder / "It's <b>", "AUDIO <script>alert('x')</script>.mp3\n ARTIST A&B\n TIME \"1\"\n"}},
                {folder / "It's <b>"});
    const std::string html = page();
    EXPECT_NE(html.find("<td>A&amp;B - &lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;.mp3</td>"), std::string::npos);
    EXPECT_NE(html.find("It&#39;s &lt;b&gt; <button"), std::string::npos);
    EXPECT_NE(html.find("</button>&quot;1&quot;</td>"), std::string::npos);
    EXPECT_EQ(html.find("<script>"), std::string::npos);
}

TEST_F(HtmlRenderTest, RadioListShowsEachGroupOnceInTreeOrder) {
    RadioList& radio = repository.radioList();
    std::string empty;
    renderRadioList(empty, radio);
    EXPECT_EQ(empty, "<br><br><p>No channels loaded.<br>Press the \"Refresh radiolist\" button to refresh the "
                     "channel list.</p>");

    radio.tree().appendChild("RADIO", "Loose");
    Node& jazz = *radio.tree().appendChild("CHANNELS", "Jazz");
    Node& one = *jazz.appendChild("RADIO", "One");
    one.appendChild("HOMEURL", "http://one/?a='b'");
    one.appendChild("HISTORY", "http://one/h");
    one.appendChild("DESCRIPTION", "Cool <jazz>");
    Node& rock = *radio.tree().appendChild("CHANNELS", "Rock & Roll");
    Node& two = *rock.appendChild("RADIO", "Two");
    two.appendChild("DESCRIPTION", "");
    // Addresses of a published list that are no web addresses become no links.
    two.appendChild("HOMEURL", "JavaScript:alert(document.domain)");
    two.appendChild("HISTORY", "data:text/html,<script>alert(1)</script>");
    radio.index();
    // A station added to the first group later gets the newest item.
    jazz.appendChild("RADIO", "Three");
    radio.index();
    const auto id = [&](std::string_view name) {
        for (const LibraryItem* item : radio.stations()) {
            if (item->node()->value() == name) return item->id;
        }
        return -1;
    };

    std::string html;
    renderRadioList(html, radio);
    const std::string icon = "<img src='gfx/radio.png' class='type_icon'>";
    EXPECT_EQ(html, "<div class='dir'><div class='dirhead'>&nbsp;Jazz</div>" + kFlatColumns +
                        row(id("One"), icon + "One <a target='_blank' href='http://one/?a=&#39;b&#39;' "
                                              "class='radio_web'>[web]</a> <a target='_blank' href='http://one/h' "
                                              "class='radio_history'>[history]</a><span class='radio_descr'> - "
                                              "Cool &lt;jazz&gt;</span>",
                            "-", "0") +
                        row(id("Three"), icon + "Three", "-", "0") +
                        "</table></div><div class='dir'><div class='dirhead'>&nbsp;Rock &amp; Roll</div>" +
                        kFlatColumns + row(id("Two"), icon + "Two", "-", "0") + "</table></div>");
}

TEST_F(HtmlRenderTest, FilterTableEscapesAndNamesStayPlain) {
    filters.load(folder / "none.vmr");
    while (filters.filters().firstChild()) filters.removeFilter(0);
    filters.addFilter();
    filters.addFilter();
    ASSERT_TRUE(filters.setFilter(1, "Mine's", "$genre == \"<x>\""));
    filters.filters().findChild("SEARCH", 1)->appendChild("LIMIT", "10");

    std::string table;
    renderFilterTable(table, filters);
    const auto rowOf = [](int i, const std::string& name, const std::string& query, const std::string& limit) {
        return "<tr><td><input type='text' value='" + name + "'></td><td><input type='text' value='" + query +
               "'></td><td><input type='text' value='" + limit +
               "' disabled></td><td><input type='button' value='remove' onclick='parent.RemoveFilter(" +
               std::to_string(i) + ")'><br></td></tr>";
    };
    EXPECT_EQ(table, "<table style='width: 100%'><col class='filter_col_1'><col class='filter_col_2'>"
                     "<col class='filter_col_3'><col class='filter_col_4'><tr><td>Name</td><td>Expression</td>"
                     "<td>Limit</td><td></td></tr>" +
                         rowOf(0, "Unnamed", "", "") +
                         rowOf(1, "Mine&#39;s", "$genre == &quot;&lt;x&gt;&quot;", "10") + "</table>");

    std::string names;
    renderFilterNames(names, filters);
    EXPECT_EQ(names, "Filter off;Unnamed;Mine's");
}

TEST_F(HtmlRenderTest, CoversPageShowsASharedParentPictureOnce) {
    openArtLibrary();
    std::string html;
    renderCoversPage(html, view);
    EXPECT_EQ(html, "<html><style> img { max-width: 100px; max-height: 100px; border: 1px solid black; margin: 1px; }"
                    " div { height: 125px; } </style><body style='font-size: 10px; font-family: sans-serif; "
                    "background-color: #222; color: #EEE'>\n<div><img src='img&id=0&nr=0'><img src='img&id=3&nr=0'>"
                    "</div><p>Number of images: 2</p></body></html>");
}

TEST_F(HtmlRenderTest, LibraryDumpNestsSettingsAndFolders) {
    openLibrary({{folder / "Top", "AUDIO <a>.mp3\n TIME 01:00\nLIST Sub\n"}, {folder / "Top/Sub", ""}},
                {folder / "Top"});
    repository.settings().firstChild()->clearChildren();
    repository.settings().firstChild()->appendChild("", "a value without a name");
    std::string html;
    renderLibraryDump(html, repository);
    EXPECT_EQ(html, "<html><style> blockquote { margin-top: 0px; margin-bottom: 0px; } h2 { font-size: 100%; "
                    "background-color: gray; } </style><body style='white-space: pre; font-size: 10px; "
                    "font-family: sans-serif'><H1>Library info</H1><DIV>null = null<BLOCKQUOTE><DIV>USER = "
                    "username<BLOCKQUOTE><DIV> = a value without a name</DIV></BLOCKQUOTE></DIV></BLOCKQUOTE></DIV>"
                    "<H1>Library</H1><h2>" +
                        folder / "Top" +
                        "</h2><DIV>null = null<BLOCKQUOTE><DIV>AUDIO = &lt;a&gt;.mp3<BLOCKQUOTE><DIV>TIME = "
                        "01:00</DIV></BLOCKQUOTE></DIV><DIV>LIST = Sub</DIV></BLOCKQUOTE></DIV><BLOCKQUOTE><h2>" +
                        folder / "Top/Sub" + "</h2><DIV>null = null</DIV></BLOCKQUOTE></body></html>");
}
