#pragma once
// The desktop widget archive, delivered with its placeholder address and port pointed at
// this server. The placeholders lie in an uncompressed member; checksums are left alone.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class HttpConnection;

struct WidgetPlaceholders {
    size_t address;  // offset of "192.168.0.100"
    size_t port;     // offset of "1200"
};

// The address placeholder lying whole in one 100-byte window (offsets 0, 100, ...), then the
// port within 200 bytes from it; a NUL ends the search of a window. Nothing when either is
// missing.
std::optional<WidgetPlaceholders> findWidgetPlaceholders(std::string_view archive);
// Overwrites the address with `address` + '"' + nine blanks and the port with its digits +
// five blanks, never past the end of the archive.
void patchWidget(std::string& archive, const WidgetPlaceholders& at, std::string_view address, int port);

// Sends the patched archive as a cacheable answer. False, with nothing sent, when the file
// cannot be read, lacks a placeholder, or this machine's address is unknown.
bool sendWidget(std::string_view localPath, HttpConnection& connection);
