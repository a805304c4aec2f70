#pragma once
// Where a request comes from, read from its header block: the host it names, and whether a
// page of another site asked for it. Pure functions of the bytes, for the request dispatcher.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The value of the first header line with that name (any letter case), blanks trimmed;
// nothing when there is no such line.
std::optional<std::string_view> headerValue(std::string_view headerBlock, std::string_view name);

// Why a request naming another machine in its Host header (a DNS-rebinding page) must be
// refused; nothing when its host is one that `isOwnHost` accepts, or it has no Host header.
std::optional<std::string> foreignHostReason(std::string_view headerBlock,
                                             const std::function<bool(std::string_view)>& isOwnHost);

// Why a command must not run for this request: a page of another site asked (Sec-Fetch-Site
// other than same-origin or none, an Origin other than the Host), or the headers were cut
// short. Nothing for the player's own pages, for the address bar, and for programs.
std::optional<std::string> crossSiteReason(std::string_view headerBlock);
