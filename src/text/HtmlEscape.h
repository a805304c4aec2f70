#pragma once
// Stored texts put into HTML: markup characters become entities, so a name shows as text
// and an attribute value stays inside its quotes.

#include <string>
#include <string_view>

// Appends `text` with & < > " ' written as &amp; &lt; &gt; &quot; &#39;.
void appendHtmlEscaped(std::string& out, std::string_view text);
