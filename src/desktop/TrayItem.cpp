#include "desktop/TrayItem.h"

#include <unistd.h>

#include <array>

#include "desktop/ConstantProperty.h"
#include "desktop/TrayIcon.h"
#include "desktop/TrayMenu.h"

namespace {

constexpr char kPath[] = "/StatusNotifierItem";
constexpr char kInterface[] = "org.kde.StatusNotifierItem";
constexpr size_t kTipCharacters = 63;
constexpr std::array kIconSizes{16, 22, 32, 48, 64};

TrayItem& itemOf(void* userdata) { return *static_cast<TrayItem*>(userdata); }

int appendPixmaps(sd_bus_message* reply) {
    int r = sd_bus_message_open_container(reply, 'a', "(iiay)");
    for (size_t i = 0; r >= 0 && i < kIconSizes.size(); ++i) {
        const int size = kIconSizes[i];
        const std::vector<uint8_t> pixels = trayIconPixels(size);
        r = sd_bus_message_open_container(reply, 'r', "iiay");
        if (r >= 0) r = sd_bus_message_append(reply, "ii", size, size);
        if (r >= 0) r = sd_bus_message_append_array(reply, 'y', pixels.data(), pixels.size());
        if (r >= 0) r = sd_bus_message_close_container(reply);
    }
    if (r >= 0) r = sd_bus_message_close_container(reply);
    return r;
}

constexpr char kCategory[] = "ApplicationStatus";
constexpr char kId[] = "velmorant";
constexpr char kStatus[] = "Active";
constexpr char kIconName[] = "velmorant";
constexpr char kEmpty[] = "";

int getTitle(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata, sd_bus_error*) {
    return sd_bus_message_append(reply, "s", itemOf(userdata).tip().c_str());
}

int getWindowId(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "i", 0);
}

int getIconPixmap(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return appendPixmaps(reply);
}

int getNoPixmap(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "a(iiay)", 0);
}

int getToolTip(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata, sd_bus_error*) {
    int r = sd_bus_message_open_container(reply, 'r', "sa(iiay)ss");
    if (r >= 0) r = sd_bus_message_append(reply, "sa(iiay)ss", kIconName, 0, itemOf(userdata).tip().c_str(), "");
    if (r >= 0) r = sd_bus_message_close_container(reply);
    return r;
}

int getMenu(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "o", TrayMenu::kPath);
}

int activate(sd_bus_message* call, void* userdata, sd_bus_error*) {
    itemOf(userdata).activate();
    return sd_bus_reply_method_return(call, "");
}

// The menu is shown by the host from TrayMenu; the other gestures mean nothing here.
int ignore(sd_bus_message* call, void*, sd_bus_error*) { return sd_bus_reply_method_return(call, ""); }

constexpr uint64_t kConst = SD_BUS_VTABLE_PROPERTY_CONST;
constexpr uint64_t kSignalled = SD_BUS_VTABLE_PROPERTY_EMITS_INVALIDATION;

const sd_bus_vtable kTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("Category", "s", constantText<kCategory>, 0, kConst),
    SD_BUS_PROPERTY("Id", "s", constantText<kId>, 0, kConst),
    SD_BUS_PROPERTY("Title", "s", getTitle, 0, kSignalled),
    SD_BUS_PROPERTY("Status", "s", constantText<kStatus>, 0, kConst),
    SD_BUS_PROPERTY("WindowId", "i", getWindowId, 0, kConst),
    SD_BUS_PROPERTY("IconThemePath", "s", constantText<kEmpty>, 0, kConst),
    SD_BUS_PROPERTY("IconName", "s", constantText<kIconName>, 0, kConst),
    SD_BUS_PROPERTY("IconPixmap", "a(iiay)", getIconPixmap, 0, kConst),
    SD_BUS_PROPERTY("OverlayIconName", "s", constantText<kEmpty>, 0, kConst),
    SD_BUS_PROPERTY("OverlayIconPixmap", "a(iiay)", getNoPixmap, 0, kConst),
    SD_BUS_PROPERTY("AttentionIconName", "s", constantText<kEmpty>, 0, kConst),
    SD_BUS_PROPERTY("AttentionIconPixmap", "a(iiay)", getNoPixmap, 0, kConst),
    SD_BUS_PROPERTY("AttentionMovieName", "s", constantText<kEmpty>, 0, kConst),
    SD_BUS_PROPERTY("ToolTip", "(sa(iiay)ss)", getToolTip, 0, kSignalled),
    SD_BUS_PROPERTY("ItemIsMenu", "b", constantFlag<false>, 0, kConst),
    SD_BUS_PROPERTY("Menu", "o", getMenu, 0, kConst),
    SD_BUS_METHOD("Activate", "ii", "", activate, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("SecondaryActivate", "ii", "", ignore, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("ContextMenu", "ii", "", ignore, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Scroll", "is", "", ignore, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL("NewTitle", "", 0),
    SD_BUS_SIGNAL("NewIcon", "", 0),
    SD_BUS_SIGNAL("NewAttentionIcon", "", 0),
    SD_BUS_SIGNAL("NewOverlayIcon", "", 0),
    SD_BUS_SIGNAL("NewToolTip", "", 0),
    SD_BUS_SIGNAL("NewStatus", "s", 0),
    SD_BUS_VTABLE_END};

}  // namespace

std::string cutTooltip(std::string_view text) {
    size_t characters = 0;
    size_t end = 0;
    while (end < text.size() && characters < kTipCharacters) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
        ++characters;
    }
    return std::string(text.substr(0, end));
}

int TrayItem::publish(sd_bus* bus) {
    sd_bus_slot* slot = nullptr;
    const int r = sd_bus_add_object_vtable(bus, &slot, kPath, kInterface, kTable, this);
    if (r < 0) return r;
    slot_.reset(slot);
    busName_ = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-1";
    return sd_bus_request_name(bus, busName_.c_str(), 0);
}

void TrayItem::update(sd_bus* bus, const NowPlaying& now) {
    std::string tip = cutTooltip(now.tooltip);
    if (tip == tip_) return;
    tip_ = std::move(tip);
    sd_bus_emit_signal(bus, kPath, kInterface, "NewTitle", "");
    sd_bus_emit_signal(bus, kPath, kInterface, "NewToolTip", "");
}
