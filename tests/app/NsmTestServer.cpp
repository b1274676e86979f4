#include "NsmTestServer.h"

#include "app/OscArguments.h"

#include <string_view>

namespace tamrik::test {

NsmTestServer::NsmTestServer() {
    server_ = lo_server_new_with_proto(nullptr, LO_UDP, [](int, const char*, const char*) {});
    if (server_) lo_server_add_method(server_, nullptr, nullptr, &NsmTestServer::onMessage, this);
}

NsmTestServer::~NsmTestServer() {
    if (client_) lo_address_free(client_);
    if (server_) lo_server_free(server_);
}

std::string NsmTestServer::url() const {
    char* url = lo_server_get_url(server_);
    std::string text = url ? url : "";
    free(url);
    return text;
}

int NsmTestServer::onMessage(const char* path, const char* types, lo_arg** argv, int argc, lo_message message,
                             void* data) {
    auto* self = static_cast<NsmTestServer*>(data);
    const std::string_view p = path, t = types ? types : "";
    if (p == "/nsm/server/announce" && t == "sssiii") {
        self->announce_ = Announce{app::oscString(argv[0]), app::oscString(argv[1]), app::oscString(argv[2]),
                                   app::oscInt(argv[3]), app::oscInt(argv[4]), app::oscInt(argv[5])};
        lo_address source = lo_message_get_source(message);
        char* url = lo_address_get_url(source);
        if (self->client_) lo_address_free(self->client_);
        self->client_ = lo_address_new_from_url(url);
        free(url);
        lo_send_from(self->client_, self->server_, LO_TT_IMMEDIATE, "/reply", "ssss", "/nsm/server/announce",
                     "welcome", "tamrik-test-session", ":server-control:");
    } else if (p == "/reply" && argc >= 2 && t.substr(0, 2) == "ss") {
        self->replies_.emplace_back(app::oscString(argv[0]), app::oscString(argv[1]));
    } else if (p == "/error" && t == "sis") {
        self->errors_.push_back(app::oscString(argv[0]) + ": " + app::oscString(argv[2]));
    } else if (p == "/nsm/client/is_dirty") {
        self->dirty_ = true;
    } else if (p == "/nsm/client/is_clean") {
        self->dirty_ = false;
    } else if (p == "/nsm/client/gui_is_shown" || p == "/nsm/client/gui_is_hidden") {
        self->guiShown_ = p == "/nsm/client/gui_is_shown";
    }
    return 0;
}

template <typename Done>
bool NsmTestServer::receiveUntil(Done done, std::chrono::seconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        lo_server_recv_noblock(server_, 50);
    }
    return true;
}

std::optional<NsmTestServer::Announce> NsmTestServer::waitForAnnounce(std::chrono::seconds deadline) {
    receiveUntil([&] { return announce_.has_value(); }, deadline);
    return announce_;
}

std::optional<std::string> NsmTestServer::request(const char* path, lo_message message) {
    if (!client_) {
        lo_message_free(message);
        return std::nullopt;
    }
    const size_t replies = replies_.size(), errors = errors_.size();
    lo_send_message_from(client_, server_, path, message);
    lo_message_free(message);
    std::optional<std::string> answer;
    receiveUntil(
        [&] {
            for (size_t i = replies; i < replies_.size(); ++i)
                if (replies_[i].first == path) answer = replies_[i].second;
            return answer || errors_.size() > errors;
        },
        std::chrono::seconds(60));
    return answer;
}

std::optional<std::string> NsmTestServer::open(const std::string& path, const std::string& displayName,
                                               const std::string& clientId) {
    lo_message message = lo_message_new();
    lo_message_add_string(message, path.c_str());
    lo_message_add_string(message, displayName.c_str());
    lo_message_add_string(message, clientId.c_str());
    return request("/nsm/client/open", message);
}

std::optional<std::string> NsmTestServer::save() { return request("/nsm/client/save", lo_message_new()); }

std::optional<bool> NsmTestServer::showGui() {
    if (!client_) return std::nullopt;
    guiShown_.reset();
    lo_send_from(client_, server_, LO_TT_IMMEDIATE, "/nsm/client/show_optional_gui", "");
    receiveUntil([&] { return guiShown_.has_value(); }, std::chrono::seconds(60));
    return guiShown_;
}

bool NsmTestServer::setGui(bool shown) {
    if (!client_) return false;
    lo_send_from(client_, server_, LO_TT_IMMEDIATE,
                 shown ? "/nsm/client/show_optional_gui" : "/nsm/client/hide_optional_gui", "");
    return waitForGui(shown);
}

bool NsmTestServer::waitForGui(bool shown, std::chrono::seconds deadline) {
    return receiveUntil([&] { return guiShown_ == shown; }, deadline);
}

bool NsmTestServer::waitForDirty(bool dirty, std::chrono::seconds deadline) {
    return receiveUntil([&] { return dirty_ == dirty; }, deadline);
}

}  // namespace tamrik::test
