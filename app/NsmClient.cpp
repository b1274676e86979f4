#include "app/NsmClient.h"

#include "app/OscArguments.h"

#include <unistd.h>

#include <cstdlib>
#include <utility>

namespace tamrik::app {

namespace {

constexpr int kApiMajor = 1, kApiMinor = 2;
constexpr int kGeneralError = -1;

NsmClient* owner(void* data) { return static_cast<NsmClient*>(data); }

}  // namespace

std::unique_ptr<NsmClient> NsmClient::fromEnvironment(MainLoopWait& wake, bool optionalGui) {
    const char* url = std::getenv("NSM_URL");
    if (!url || !url[0]) return nullptr;
    lo_address manager = lo_address_new_from_url(url);
    if (!manager) throw NsmError(std::string("NSM_URL '") + url + "' names no session manager");
    return std::unique_ptr<NsmClient>(new NsmClient(manager, wake, optionalGui));
}

NsmClient::NsmClient(lo_address manager, MainLoopWait& wake, bool optionalGui)
    : manager_(manager), wake_(wake), optionalGui_(optionalGui) {
    thread_ = lo_server_thread_new_with_proto(nullptr, lo_address_get_protocol(manager), [](int, const char*, const char*) {});
    if (!thread_) {
        lo_address_free(manager_);
        throw NsmError("cannot open a port to talk to the session manager");
    }
    lo_server_thread_add_method(
        thread_, "/reply", nullptr,
        [](const char*, const char*, lo_arg**, int, lo_message, void*) {
            return 0;  // the announce's welcome: nothing to do
        },
        this);
    lo_server_thread_add_method(
        thread_, "/error", "sis",
        [](const char*, const char*, lo_arg** argv, int, lo_message, void* data) {
            const std::string message = oscString(argv[2]);
            owner(data)->store([&](Requests& r) { r.error = message; });
            return 0;
        },
        this);
    lo_server_thread_add_method(
        thread_, "/nsm/client/open", "sss",
        [](const char*, const char*, lo_arg** argv, int, lo_message, void* data) {
            Open open{oscString(argv[0]), oscString(argv[2])};
            owner(data)->store([&](Requests& r) { r.open = std::move(open); });
            return 0;
        },
        this);
    // The requests without arguments: each sets its flag (and show and hide
    // undo each other's).
    flags_ = {{{this, &Requests::save, nullptr}, {this, &Requests::show, &Requests::hide},
               {this, &Requests::hide, &Requests::show}}};
    const char* flagPaths[] = {"/nsm/client/save", "/nsm/client/show_optional_gui", "/nsm/client/hide_optional_gui"};
    for (size_t i = 0; i < flags_.size(); ++i)
        lo_server_thread_add_method(
            thread_, flagPaths[i], "",
            [](const char*, const char*, lo_arg**, int, lo_message, void* data) {
                const Flag& f = *static_cast<const Flag*>(data);
                f.self->store([&](Requests& r) {
                    r.*f.set = true;
                    if (f.clear) r.*f.clear = false;
                });
                return 0;
            },
            &flags_[i]);
    lo_server_thread_start(thread_);
}

NsmClient::~NsmClient() {
    lo_server_thread_stop(thread_);
    lo_server_thread_free(thread_);
    lo_address_free(manager_);
}

void NsmClient::store(const std::function<void(Requests&)>& change) {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        change(requests_);
    }
    wake_.wake();
}

NsmClient::Requests NsmClient::take() {
    const std::lock_guard<std::mutex> guard(lock_);
    return std::exchange(requests_, Requests{});
}

void NsmClient::announce(const std::string& name, const std::string& executable) {
    const char* capabilities = optionalGui_ ? ":dirty:optional-gui:" : ":dirty:";
    lo_send_from(manager_, lo_server_thread_get_server(thread_), LO_TT_IMMEDIATE, "/nsm/server/announce", "sssiii",
                 name.c_str(), capabilities, executable.c_str(), kApiMajor, kApiMinor, int(getpid()));
}

void NsmClient::reply(const char* path, bool ok, const std::string& message) {
    lo_server server = lo_server_thread_get_server(thread_);
    if (ok)
        lo_send_from(manager_, server, LO_TT_IMMEDIATE, "/reply", "ss", path, message.c_str());
    else
        lo_send_from(manager_, server, LO_TT_IMMEDIATE, "/error", "sis", path, kGeneralError, message.c_str());
}

void NsmClient::replyOpen(bool ok, const std::string& message) { reply("/nsm/client/open", ok, message); }

void NsmClient::replySave(bool ok, const std::string& message) { reply("/nsm/client/save", ok, message); }

void NsmClient::setDirty(bool dirty) {
    if (dirty_ == dirty) return;
    dirty_ = dirty;
    lo_send_from(manager_, lo_server_thread_get_server(thread_), LO_TT_IMMEDIATE,
                 dirty ? "/nsm/client/is_dirty" : "/nsm/client/is_clean", "");
}

void NsmClient::setGuiShown(bool shown) {
    lo_send_from(manager_, lo_server_thread_get_server(thread_), LO_TT_IMMEDIATE,
                 shown ? "/nsm/client/gui_is_shown" : "/nsm/client/gui_is_hidden", "");
}

}  // namespace tamrik::app
