#include "onebot/ws_endpoint.h"

#include <atomic>
#include <future>

namespace onebot::detail {

namespace websocket = beast::websocket;

namespace {
std::atomic<LinkId> nextLinkId{1};
}

Session::Session(Endpoint& owner, WsStream ws, LinkId id, std::string selfId)
    : owner_(owner), ws_(std::move(ws)), id_(id), selfId_(std::move(selfId)) {}

void Session::start() {
  ws_.text(true);
  ws_.read_message_max(owner_.readLimit_);
  beast::get_lowest_layer(ws_).expires_never();
  websocket::stream_base::timeout t{};
  t.handshake_timeout = std::chrono::seconds(10);
  // A peer that stays silent is pinged at half this time and dropped when nothing came back.
  t.idle_timeout = std::chrono::seconds(90);
  t.keep_alive_pings = true;
  ws_.set_option(t);
  try {
    if (owner_.handlers_.onOpen) owner_.handlers_.onOpen(id_, selfId_);
  } catch (...) {
  }
  read();
}

void Session::read() {
  if (finished_ || reading_ || paused_) return;
  reading_ = true;
  ws_.async_read(buffer_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
    self->reading_ = false;
    if (self->finished_) return;
    if (ec) {
      self->finish(ec == websocket::error::message_too_big ? "frame over the size limit"
                   : ec == websocket::error::closed        ? "closed by the peer"
                                                           : ec.message());
      self->cut();
      return;
    }
    std::string frame = beast::buffers_to_string(self->buffer_.data());
    self->buffer_.consume(self->buffer_.size());
    // A large buffer is not kept for the rest of the link's life.
    if (self->buffer_.capacity() > (64u << 10)) self->buffer_.shrink_to_fit();
    ReadControl next = ReadControl::Continue;
    try {
      if (self->owner_.handlers_.onFrame) next = self->owner_.handlers_.onFrame(self->id_, std::move(frame));
    } catch (...) {
      // A frame the bridge could not take is lost; the link goes on.
    }
    if (next == ReadControl::Pause) self->paused_ = true;
    self->read();
  });
}

void Session::resume() {
  paused_ = false;
  read();
}

void Session::send(std::string frame) {
  if (finished_) return;
  out_.push_back(std::move(frame));
  write();
}

void Session::write() {
  if (writing_ || out_.empty() || finished_) return;
  writing_ = true;
  ws_.async_write(net::buffer(out_.front()), [self = shared_from_this()](beast::error_code ec, std::size_t) {
    self->writing_ = false;
    if (!self->out_.empty()) self->out_.pop_front();
    if (ec) {
      self->finish(ec.message());
      self->cut();
      return;
    }
    self->write();
  });
}

void Session::close(const std::string& reason, bool polite) {
  if (finished_) return;
  finish(reason);
  if (polite && !writing_) {
    beast::get_lowest_layer(ws_).expires_after(std::chrono::seconds(2));
    ws_.async_close(websocket::close_code::going_away,
                    [self = shared_from_this()](beast::error_code) { beast::get_lowest_layer(self->ws_).close(); });
  } else {
    cut();
  }
}

void Session::cut() {
  beast::error_code ignored;
  beast::get_lowest_layer(ws_).socket().shutdown(net::ip::tcp::socket::shutdown_both, ignored);
  beast::get_lowest_layer(ws_).close();
}

void Session::finish(const std::string& reason) {
  if (finished_) return;
  finished_ = true;
  out_.clear();
  auto self = shared_from_this();  // the registry may hold the last reference
  owner_.links_.erase(id_);
  try {
    if (owner_.handlers_.onClose) owner_.handlers_.onClose(id_, reason);
  } catch (...) {
  }
  owner_.linkGone(id_);
}

Endpoint::Endpoint(LinkHandlers handlers, std::size_t readLimit)
    : handlers_(std::move(handlers)), readLimit_(readLimit) {}

Endpoint::~Endpoint() { stop(); }

void Endpoint::run() {
  thread_ = std::thread([this] {
    auto guard = net::make_work_guard(ioc_);
    for (;;) {
      try {
        ioc_.run();
        return;
      } catch (...) {
        // A handler that throws must not take the network thread down; go on serving.
      }
    }
  });
}

void Endpoint::stop() {
  if (!thread_.joinable()) return;
  std::promise<void> done;
  net::post(ioc_, [this, &done] {
    stopped_ = true;
    stopping();
    auto links = links_;
    for (auto& [id, s] : links) s->close("transport stopped", false);
    done.set_value();
  });
  done.get_future().wait();
  ioc_.stop();
  thread_.join();
}

std::shared_ptr<Session> Endpoint::find(LinkId link) {
  const auto it = links_.find(link);
  return it == links_.end() ? nullptr : it->second;
}

void Endpoint::send(LinkId link, std::string frame) {
  net::post(ioc_, [this, link, f = std::move(frame)]() mutable {
    if (auto s = find(link)) s->send(std::move(f));
  });
}

void Endpoint::resume(LinkId link) {
  net::post(ioc_, [this, link] {
    if (auto s = find(link)) s->resume();
  });
}

void Endpoint::close(LinkId link) {
  net::post(ioc_, [this, link] {
    if (auto s = find(link)) s->close("closed by the bridge", true);
  });
}

void Endpoint::adopt(WsStream ws, const std::string& selfId) {
  if (stopped_) return;
  if (!selfId.empty()) {
    std::shared_ptr<Session> older;
    for (auto& [id, s] : links_)
      if (s->selfId() == selfId) older = s;
    if (older) older->close("replaced by a newer connection of the same robot", true);
  }
  const LinkId id = nextLinkId++;
  auto s = std::make_shared<Session>(*this, std::move(ws), id, selfId);
  links_.emplace(id, s);
  s->start();
}

}  // namespace onebot::detail
