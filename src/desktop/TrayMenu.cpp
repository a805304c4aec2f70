#include "desktop/TrayMenu.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "desktop/ConstantProperty.h"

namespace {

constexpr char kInterface[] = "com.canonical.dbusmenu";
constexpr uint32_t kRevision = 1;

// Ids 1 to 9 in menu order; 0 is the root that holds them.
struct MenuItem {
    std::string_view label;  // empty for a separator
    std::string_view command;
};
constexpr std::array<MenuItem, 9> kItems{{{"Show web UI", ""},
                                          {"", ""},
                                          {"Play", "play"},
                                          {"Stop", "stop"},
                                          {"Pause", "pause"},
                                          {"Previous", "prev"},
                                          {"Next", "next"},
                                          {"", ""},
                                          {"Exit", "quit"}}};
constexpr int kShowWebUi = 1;

bool validId(int id) { return id >= 0 && id <= static_cast<int>(kItems.size()); }

TrayMenu& menuOf(void* userdata) { return *static_cast<TrayMenu*>(userdata); }

// The names a caller asked for; an empty list asks for all.
class PropertyFilter {
public:
    int read(sd_bus_message* message) {
        char** names = nullptr;
        const int r = sd_bus_message_read_strv(message, &names);
        names_ = names;
        return r;
    }
    ~PropertyFilter() {
        for (char** name = names_; name && *name; ++name) free(*name);
        free(names_);
    }
    bool wants(std::string_view property) const {
        if (!names_ || !*names_) return true;
        for (char** name = names_; *name; ++name) {
            if (property == *name) return true;
        }
        return false;
    }

private:
    char** names_ = nullptr;
};

int appendProperty(sd_bus_message* reply, const PropertyFilter& filter, const char* name, const char* value) {
    if (!filter.wants(name)) return 0;
    return sd_bus_message_append(reply, "{sv}", name, "s", value);
}

int appendProperties(sd_bus_message* reply, int id, const PropertyFilter& filter) {
    int r = sd_bus_message_open_container(reply, 'a', "{sv}");
    if (r < 0) return r;
    if (id == 0) {
        r = appendProperty(reply, filter, "children-display", "submenu");
    } else if (const MenuItem& item = kItems[static_cast<size_t>(id - 1)]; item.label.empty()) {
        r = appendProperty(reply, filter, "type", "separator");
    } else {
        r = appendProperty(reply, filter, "label", item.label.data());
    }
    if (r < 0) return r;
    return sd_bus_message_close_container(reply);
}

// (ia{sv}av): the item, and for the root its items (unless depth 0 asks for none).
int appendLayout(sd_bus_message* reply, int id, int depth, const PropertyFilter& filter) {
    int r = sd_bus_message_open_container(reply, 'r', "ia{sv}av");
    if (r >= 0) r = sd_bus_message_append(reply, "i", id);
    if (r >= 0) r = appendProperties(reply, id, filter);
    if (r >= 0) r = sd_bus_message_open_container(reply, 'a', "v");
    for (int child = 1; r >= 0 && id == 0 && depth != 0 && child <= static_cast<int>(kItems.size()); ++child) {
        r = sd_bus_message_open_container(reply, 'v', "(ia{sv}av)");
        if (r >= 0) r = appendLayout(reply, child, 0, filter);
        if (r >= 0) r = sd_bus_message_close_container(reply);
    }
    if (r >= 0) r = sd_bus_message_close_container(reply);
    if (r >= 0) r = sd_bus_message_close_container(reply);
    return r;
}

int getLayout(sd_bus_message* call, void*, sd_bus_error*) {
    int32_t parent = 0;
    int32_t depth = 0;
    PropertyFilter filter;
    int r = sd_bus_message_read(call, "ii", &parent, &depth);
    if (r >= 0) r = filter.read(call);
    if (r < 0) return r;
    if (!validId(parent)) return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_INVALID_ARGS, "No menu item %d", parent);
    sd_bus_message* opened = nullptr;
    r = sd_bus_message_new_method_return(call, &opened);
    const MessagePtr reply(opened);
    if (r >= 0) r = sd_bus_message_append(reply.get(), "u", kRevision);
    if (r >= 0) r = appendLayout(reply.get(), parent, depth, filter);
    if (r < 0) return r;
    return sd_bus_send(nullptr, reply.get(), nullptr);
}

int getGroupProperties(sd_bus_message* call, void*, sd_bus_error*) {
    const void* ids = nullptr;
    size_t size = 0;
    PropertyFilter filter;
    int r = sd_bus_message_read_array(call, 'i', &ids, &size);
    if (r >= 0) r = filter.read(call);
    if (r < 0) return r;
    sd_bus_message* opened = nullptr;
    r = sd_bus_message_new_method_return(call, &opened);
    const MessagePtr reply(opened);
    if (r >= 0) r = sd_bus_message_open_container(reply.get(), 'a', "(ia{sv})");
    const auto* first = static_cast<const int32_t*>(ids);
    for (size_t i = 0; r >= 0 && i < size / sizeof(int32_t); ++i) {
        if (!validId(first[i])) continue;
        r = sd_bus_message_open_container(reply.get(), 'r', "ia{sv}");
        if (r >= 0) r = sd_bus_message_append(reply.get(), "i", first[i]);
        if (r >= 0) r = appendProperties(reply.get(), first[i], filter);
        if (r >= 0) r = sd_bus_message_close_container(reply.get());
    }
    if (r >= 0) r = sd_bus_message_close_container(reply.get());
    if (r < 0) return r;
    return sd_bus_send(nullptr, reply.get(), nullptr);
}

int getProperty(sd_bus_message* call, void*, sd_bus_error*) {
    int32_t id = 0;
    const char* name = nullptr;
    const int r = sd_bus_message_read(call, "is", &id, &name);
    if (r < 0) return r;
    const std::string_view property = name;
    if (id >= 1 && validId(id)) {
        const MenuItem& item = kItems[static_cast<size_t>(id - 1)];
        if (property == "label" && !item.label.empty()) return sd_bus_reply_method_return(call, "v", "s", item.label.data());
        if (property == "type" && item.label.empty()) return sd_bus_reply_method_return(call, "v", "s", "separator");
    }
    return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_INVALID_ARGS, "No property %s of menu item %d", name, id);
}

int event(sd_bus_message* call, void* userdata, sd_bus_error*) {
    int32_t id = 0;
    const char* kind = nullptr;
    const int r = sd_bus_message_read(call, "is", &id, &kind);
    if (r < 0) return r;
    if (std::string_view(kind) == "clicked") menuOf(userdata).activate(id);
    return sd_bus_reply_method_return(call, "");
}

int eventGroup(sd_bus_message* call, void* userdata, sd_bus_error*) {
    int r = sd_bus_message_enter_container(call, 'a', "(isvu)");
    while (r > 0 && (r = sd_bus_message_enter_container(call, 'r', "isvu")) > 0) {
        int32_t id = 0;
        const char* kind = nullptr;
        r = sd_bus_message_read(call, "is", &id, &kind);
        if (r >= 0 && std::string_view(kind) == "clicked") menuOf(userdata).activate(id);
        if (r >= 0) r = sd_bus_message_skip(call, "vu");
        if (r >= 0) r = sd_bus_message_exit_container(call);
    }
    if (r < 0) return r;
    return sd_bus_reply_method_return(call, "ai", 0);
}

int aboutToShow(sd_bus_message* call, void*, sd_bus_error*) { return sd_bus_reply_method_return(call, "b", 0); }

int aboutToShowGroup(sd_bus_message* call, void*, sd_bus_error*) {
    return sd_bus_reply_method_return(call, "aiai", 0, 0);
}

int getVersion(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "u", 3u);
}

constexpr char kLeftToRight[] = "ltr";
constexpr char kNormal[] = "normal";

constexpr uint64_t kConst = SD_BUS_VTABLE_PROPERTY_CONST;

const sd_bus_vtable kTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("Version", "u", getVersion, 0, kConst),
    SD_BUS_PROPERTY("TextDirection", "s", constantText<kLeftToRight>, 0, kConst),
    SD_BUS_PROPERTY("Status", "s", constantText<kNormal>, 0, kConst),
    SD_BUS_PROPERTY("IconThemePath", "as", noTexts, 0, kConst),
    SD_BUS_METHOD("GetLayout", "iias", "u(ia{sv}av)", getLayout, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("GetGroupProperties", "aias", "a(ia{sv})", getGroupProperties, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("GetProperty", "is", "v", getProperty, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Event", "isvu", "", event, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("EventGroup", "a(isvu)", "ai", eventGroup, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("AboutToShow", "i", "b", aboutToShow, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("AboutToShowGroup", "ai", "aiai", aboutToShowGroup, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL("ItemsPropertiesUpdated", "a(ia{sv})a(ias)", 0),
    SD_BUS_SIGNAL("LayoutUpdated", "ui", 0),
    SD_BUS_SIGNAL("ItemActivationRequested", "iu", 0),
    SD_BUS_VTABLE_END};

}  // namespace

int TrayMenu::publish(sd_bus* bus) {
    sd_bus_slot* slot = nullptr;
    const int r = sd_bus_add_object_vtable(bus, &slot, kPath, kInterface, kTable, this);
    if (r >= 0) slot_.reset(slot);
    return r;
}

void TrayMenu::activate(int id) const {
    if (id == kShowWebUi) return hooks_.openWebInterface();
    if (id < 1 || !validId(id)) return;
    const std::string_view command = kItems[static_cast<size_t>(id - 1)].command;
    if (!command.empty()) hooks_.sendCommand(command);
}
