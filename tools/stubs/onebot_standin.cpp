#include "stubs/onebot_standin.h"

// Boost 1.74's asio uses std::exchange without including <utility> itself (an error in C++20).
#include <utility>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <thread>

namespace stubs {

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using json = nlohmann::json;

namespace {

struct Script {
  enum class Kind { Answer, Fail, Ignore, Drop } kind = Kind::Answer;
  json data;
  std::function<json(const json&)> reply;  // when set, computes the data from the params
  std::chrono::milliseconds delay{0};
  int retcode = 0;
  std::string message;
};

struct Conn {
  explicit Conn(net::io_context& ioc) : ws(ioc) {}
  explicit Conn(tcp::socket s) : ws(std::move(s)) {}
  websocket::stream<beast::tcp_stream> ws;
  beast::flat_buffer buffer;
  std::deque<std::string> out;
  bool writing = false;
  bool open = true;
};

long long idNumber(const std::string& s) { return s.empty() ? 0 : std::stoll(s); }

}  // namespace

struct OneBotStandin::Impl : std::enable_shared_from_this<Impl> {
  net::io_context ioc;
  net::executor_work_guard<net::io_context::executor_type> guard = net::make_work_guard(ioc);
  std::thread thread;
  tcp::acceptor acceptor{ioc};
  std::string listenToken, selfId;

  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  bool connected = false;
  int refused = 0;
  std::map<std::string, Script> scripts;
  std::vector<json> received;

  std::shared_ptr<Conn> current;  // network thread only

  void start(const std::shared_ptr<Conn>& c) {
    if (current) cut(current);
    current = c;
    // Small frames go out at once, as the implementations' WebSocket libraries send them.
    beast::error_code ignored;
    beast::get_lowest_layer(c->ws).socket().set_option(tcp::no_delay(true), ignored);
    c->ws.text(true);
    c->ws.read_message_max(64u << 20);
    {
      std::lock_guard lock(mutex);
      connected = true;
    }
    changed.notify_all();
    write(c, json{{"time", 1753846415}, {"self_id", idNumber(selfId)}, {"post_type", "meta_event"},
                  {"meta_event_type", "lifecycle"}, {"sub_type", "connect"}}.dump());
    read(c);
  }

  void ended(const std::shared_ptr<Conn>& c) {
    if (!c->open) return;
    c->open = false;
    if (current == c) {
      current.reset();
      {
        std::lock_guard lock(mutex);
        connected = false;
      }
      changed.notify_all();
    }
  }

  void cut(const std::shared_ptr<Conn>& c) {
    beast::error_code ignored;
    beast::get_lowest_layer(c->ws).socket().shutdown(tcp::socket::shutdown_both, ignored);
    beast::get_lowest_layer(c->ws).socket().close(ignored);
    ended(c);
  }

  void read(const std::shared_ptr<Conn>& c) {
    c->ws.async_read(c->buffer, [self = shared_from_this(), c](beast::error_code ec, std::size_t) {
      if (ec) return self->ended(c);
      const std::string frame = beast::buffers_to_string(c->buffer.data());
      c->buffer.consume(c->buffer.size());
      self->onAction(c, frame);
      if (c->open) self->read(c);
    });
  }

  void write(const std::shared_ptr<Conn>& c, std::string frame) {
    if (!c->open) return;
    c->out.push_back(std::move(frame));
    pump(c);
  }

  void pump(const std::shared_ptr<Conn>& c) {
    if (c->writing || c->out.empty() || !c->open) return;
    c->writing = true;
    c->ws.async_write(net::buffer(c->out.front()), [self = shared_from_this(), c](beast::error_code ec, std::size_t) {
      c->writing = false;
      c->out.pop_front();
      if (ec) return self->ended(c);
      self->pump(c);
    });
  }

  void onAction(const std::shared_ptr<Conn>& c, const std::string& frame) {
    json request = json::parse(frame, nullptr, false);
    if (request.is_discarded()) return;
    Script script;
    {
      std::lock_guard lock(mutex);
      received.push_back(request);
      const auto it = scripts.find(request.value("action", std::string()));
      if (it != scripts.end()) script = it->second;
    }
    changed.notify_all();
    const json echo = request.contains("echo") ? request["echo"] : json();
    json reply;
    switch (script.kind) {
      case Script::Kind::Ignore: return;
      case Script::Kind::Drop: return cut(c);
      case Script::Kind::Fail:
        reply = {{"status", "failed"}, {"retcode", script.retcode}, {"data", nullptr},
                 {"message", script.message}, {"wording", script.message}, {"echo", echo}};
        break;
      case Script::Kind::Answer:
        if (script.reply) {
          try {
            script.data = script.reply(request.contains("params") ? request["params"] : json::object());
          } catch (...) {
            script.data = nullptr;
          }
        }
        reply = {{"status", "ok"}, {"retcode", 0}, {"data", script.data}, {"message", ""}, {"wording", ""}, {"echo", echo}};
        break;
    }
    if (script.delay.count() == 0) return write(c, reply.dump());
    auto timer = std::make_shared<net::steady_timer>(ioc, script.delay);
    timer->async_wait([self = shared_from_this(), c, timer, text = reply.dump()](beast::error_code ec) {
      if (!ec) self->write(c, text);
    });
  }

  void accept() {
    acceptor.async_accept([self = shared_from_this()](beast::error_code ec, tcp::socket socket) {
      if (ec) return;
      auto c = std::make_shared<Conn>(std::move(socket));
      auto req = std::make_shared<http::request<http::string_body>>();
      http::async_read(beast::get_lowest_layer(c->ws), c->buffer, *req, [self, c, req](beast::error_code ec2, std::size_t) {
        if (ec2) return;
        const std::string wanted = self->listenToken.empty() ? "" : "Bearer " + self->listenToken;
        const auto given = (*req)[http::field::authorization];
        if (!wanted.empty() && std::string(given.data(), given.size()) != wanted) {
          {
            std::lock_guard lock(self->mutex);
            ++self->refused;
          }
          auto res = std::make_shared<http::response<http::string_body>>(http::status::unauthorized, req->version());
          res->body() = "token";
          res->prepare_payload();
          http::async_write(beast::get_lowest_layer(c->ws), *res, [c, res](beast::error_code, std::size_t) {
            beast::get_lowest_layer(c->ws).close();
          });
          return;
        }
        c->buffer.consume(c->buffer.size());
        c->ws.async_accept(*req, [self, c](beast::error_code ec3) {
          if (!ec3) self->start(c);
        });
      });
      self->accept();
    });
  }
};

OneBotStandin::OneBotStandin() : impl_(std::make_shared<Impl>()) {
  impl_->thread = std::thread([impl = impl_.get()] { impl->ioc.run(); });
}

OneBotStandin::~OneBotStandin() {
  // The connection is closed on the loop's thread before the loop stops: stopped first, the close
  // could be skipped and leave the peer waiting on an open connection.
  std::promise<void> closed;
  net::post(impl_->ioc, [impl = impl_, &closed] {
    beast::error_code ignored;
    impl->acceptor.close(ignored);
    if (impl->current) impl->cut(impl->current);
    closed.set_value();
  });
  closed.get_future().wait_for(std::chrono::seconds(5));
  impl_->guard.reset();
  impl_->ioc.stop();
  impl_->thread.join();
}

int OneBotStandin::connect(std::uint16_t port, const OneBotConnectOptions& options) {
  impl_->selfId = options.selfId;
  auto c = std::make_shared<Conn>(impl_->ioc);
  beast::error_code ec;
  beast::get_lowest_layer(c->ws).socket().connect(tcp::endpoint(net::ip::make_address("127.0.0.1"), port), ec);
  if (ec) return 0;
  c->ws.set_option(websocket::stream_base::decorator([options](websocket::request_type& req) {
    req.set(http::field::user_agent, "NapCat.Onebot/4.8");
    if (options.sendSelfId) req.set("X-Self-ID", options.selfId);
    if (!options.role.empty()) req.set("x-client-role", options.role);
    req.set(http::field::authorization, "Bearer " + options.token);
  }));
  // The asynchronous handshake keeps the answer of a refusal (the blocking one drops it).
  websocket::response_type res;
  std::promise<beast::error_code> done;
  c->ws.async_handshake(res, "127.0.0.1:" + std::to_string(port), options.path,
                        [&done](beast::error_code e) { done.set_value(e); });
  ec = done.get_future().get();
  const int status = static_cast<int>(res.result_int());
  if (ec) return status == 101 ? 0 : status;
  net::post(impl_->ioc, [impl = impl_, c] { impl->start(c); });
  waitConnected(std::chrono::seconds(5));
  return 101;
}

std::uint16_t OneBotStandin::listen(const std::string& token, const std::string& selfId) {
  impl_->listenToken = token;
  impl_->selfId = selfId;
  const tcp::endpoint at(net::ip::make_address("127.0.0.1"), 0);
  impl_->acceptor.open(at.protocol());
  impl_->acceptor.set_option(net::socket_base::reuse_address(true));
  impl_->acceptor.bind(at);
  impl_->acceptor.listen();
  const auto port = impl_->acceptor.local_endpoint().port();
  net::post(impl_->ioc, [impl = impl_] { impl->accept(); });
  return port;
}

int OneBotStandin::handshakesRefused() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->refused;
}

bool OneBotStandin::waitConnected(std::chrono::milliseconds limit) const {
  std::unique_lock lock(impl_->mutex);
  return impl_->changed.wait_for(lock, limit, [&] { return impl_->connected; });
}

bool OneBotStandin::waitDisconnected(std::chrono::milliseconds limit) const {
  std::unique_lock lock(impl_->mutex);
  return impl_->changed.wait_for(lock, limit, [&] { return !impl_->connected; });
}

void OneBotStandin::sendEvent(const json& event) { sendRaw(event.dump()); }

void OneBotStandin::sendRaw(std::string frame) {
  net::post(impl_->ioc, [impl = impl_, f = std::move(frame)]() mutable {
    if (impl->current) impl->write(impl->current, std::move(f));
  });
}

void OneBotStandin::drop() {
  net::post(impl_->ioc, [impl = impl_] {
    if (impl->current) impl->cut(impl->current);
  });
}

void OneBotStandin::answer(const std::string& action, json data, std::chrono::milliseconds delay) {
  std::lock_guard lock(impl_->mutex);
  Script s;
  s.data = std::move(data);
  s.delay = delay;
  impl_->scripts[action] = s;
}

void OneBotStandin::respond(const std::string& action, std::function<json(const json&)> reply) {
  std::lock_guard lock(impl_->mutex);
  Script s;
  s.reply = std::move(reply);
  impl_->scripts[action] = s;
}

void OneBotStandin::fail(const std::string& action, int retcode, const std::string& message) {
  std::lock_guard lock(impl_->mutex);
  Script s;
  s.kind = Script::Kind::Fail;
  s.retcode = retcode;
  s.message = message;
  impl_->scripts[action] = s;
}

void OneBotStandin::ignore(const std::string& action) {
  std::lock_guard lock(impl_->mutex);
  impl_->scripts[action].kind = Script::Kind::Ignore;
}

void OneBotStandin::dropOn(const std::string& action) {
  std::lock_guard lock(impl_->mutex);
  impl_->scripts[action].kind = Script::Kind::Drop;
}

std::vector<json> OneBotStandin::actions() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->received;
}

bool OneBotStandin::waitForActions(std::size_t count, std::chrono::milliseconds limit) const {
  std::unique_lock lock(impl_->mutex);
  return impl_->changed.wait_for(lock, limit, [&] { return impl_->received.size() >= count; });
}

json OneBotStandin::groupMessage(const std::string& selfId, long long group, long long user, long long messageId,
                                 json segments) {
  return {{"time", 1753846415}, {"self_id", idNumber(selfId)}, {"post_type", "message"}, {"message_type", "group"},
          {"sub_type", "normal"}, {"message_id", messageId}, {"message_seq", messageId}, {"real_id", messageId},
          {"group_id", group}, {"user_id", user}, {"anonymous", nullptr}, {"font", 14},
          {"message", std::move(segments)}, {"raw_message", ""}, {"message_format", "array"},
          {"sender", {{"user_id", user}, {"nickname", "n"}, {"card", ""}, {"role", "member"}}}};
}

json OneBotStandin::memberIncrease(const std::string& selfId, long long group, long long user, long long operatorId,
                                   const std::string& subType) {
  return {{"time", 1753846415}, {"self_id", idNumber(selfId)}, {"post_type", "notice"}, {"notice_type", "group_increase"},
          {"sub_type", subType}, {"group_id", group}, {"operator_id", operatorId}, {"user_id", user}};
}

json OneBotStandin::joinRequest(const std::string& selfId, long long group, long long user, const std::string& comment,
                                const std::string& flag, long long invitor) {
  json j = {{"time", 1753846415}, {"self_id", idNumber(selfId)}, {"post_type", "request"}, {"request_type", "group"},
            {"sub_type", "add"}, {"group_id", group}, {"user_id", user}, {"comment", comment}, {"flag", flag}};
  if (invitor) j["invitor_id"] = invitor;
  return j;
}

json OneBotStandin::heartbeat(const std::string& selfId) {
  return {{"time", 1753846415}, {"self_id", idNumber(selfId)}, {"post_type", "meta_event"}, {"meta_event_type", "heartbeat"},
          {"status", {{"online", true}, {"good", true}}}, {"interval", 30000}};
}

json OneBotStandin::strangerInfo(OneBotFlavor flavor, long long user, const std::string& nickname, int level,
                                 const std::string& signature) {
  json j = {{"user_id", user}, {"nickname", nickname}, {"sex", "unknown"}, {"age", 0}};
  switch (flavor) {
    case OneBotFlavor::NapCat: j["qqLevel"] = level; j["long_nick"] = signature; j["uid"] = "u_x"; break;
    case OneBotFlavor::LLOneBot: j["level"] = level; j["long_nick"] = signature; break;
    case OneBotFlavor::Lagrange: j["level"] = level; j["sign"] = signature; break;
  }
  return j;
}

}  // namespace stubs
