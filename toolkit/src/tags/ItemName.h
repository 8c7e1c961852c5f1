// Composing and splitting item names, whose components are joined by the
// library's delimiter ('.' unless the host sets another). Names are text in
// the ANSI code page and are walked character by character: a delimiter byte
// inside a double-byte character separates nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The item ID when the access path is empty; path + item ID when the path ends
// with the delimiter; otherwise path + delimiter + item ID.
std::string MakeFullItemName(std::string_view accessPath, std::string_view itemId, char delimiter);

// The components of a name. Empty components inside the name are kept, a
// trailing empty one is dropped: "a..b" gives a, "", b; "a.b." gives a, b; ""
// gives none.
std::vector<std::string> SplitItemName(const std::string& name, char delimiter);

// The position of the name's last delimiter, or npos.
size_t LastDelimiter(std::string_view name, char delimiter);

// The component of `name` that starts at `*position`, without copying it;
// `*position` moves past it and its delimiter. Starting at 0 and calling while
// `*position` is below the name's size gives the components of SplitItemName;
// the one after which `*position` reaches the size is the last.
std::string_view NextItemNameComponent(std::string_view name, char delimiter, size_t* position);

// Whether a client can give the name back as an item ID: it is not empty and
// comes back as the same bytes from the wide text clients see and send.
bool ClientCanNameItem(const std::string& name);
