#include "onebot/forward_client.h"

#include <boost/beast/http.hpp>

#include "onebot/auth.h"
#include "onebot/ws_endpoint.h"

namespace onebot {

namespace {

using namespace detail;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = net::ip::tcp;

struct WsUrl {
  std::string host, port, target;
};

bool parseWsUrl(const std::string& url, WsUrl& out) {
  const std::string scheme = "ws://";
  if (url.compare(0, scheme.size(), scheme) != 0) return false;
  std::string rest = url.substr(scheme.size());
  const std::size_t slash = rest.find('/');
  out.target = slash == std::string::npos ? "/" : rest.substr(slash);
  std::string authority = rest.substr(0, slash);
  if (authority.empty()) return false;
  std::size_t colon = authority.rfind(':');
  if (authority.front() == '[') {  // [::1]:3001
    const std::size_t close = authority.find(']');
    if (close == std::string::npos) return false;
    out.host = authority.substr(1, close - 1);
    colon = authority.find(':', close);
  } else {
    out.host = authority.substr(0, colon);
  }
  out.port = colon == std::string::npos ? "80" : authority.substr(colon + 1);
  if (out.host.empty() || out.port.empty()) return false;
  for (char c : out.port)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

struct ForwardClient::Impl : Endpoint {
  ForwardClientOptions options;
  WsUrl url;
  tcp::resolver resolver{ioc_};
  net::steady_timer timer{ioc_};
  std::chrono::milliseconds delay;
  std::shared_ptr<WsStream> pending;  // the attempt in flight

  Impl(ForwardClientOptions o, WsUrl u, LinkHandlers handlers)
      : Endpoint(std::move(handlers), o.readLimit), options(std::move(o)), url(std::move(u)), delay(options.firstDelay) {}
  ~Impl() override { stop(); }

  void begin() {
    net::post(ioc_, [this] { attempt(); });
    run();
  }

  void stopping() override {
    timer.cancel();
    resolver.cancel();
    if (pending) {
      beast::error_code ignored;
      beast::get_lowest_layer(*pending).socket().close(ignored);
    }
  }

  void attempt() {
    if (stopped()) return;
    resolver.async_resolve(url.host, url.port, [this](beast::error_code ec, tcp::resolver::results_type results) {
      if (stopped()) return;
      if (ec) return retry("cannot resolve " + url.host + ": " + ec.message());
      pending = std::make_shared<WsStream>(ioc_);
      auto ws = pending;
      beast::get_lowest_layer(*ws).expires_after(std::chrono::seconds(10));
      beast::get_lowest_layer(*ws).async_connect(results, [this, ws](beast::error_code ec2, const tcp::endpoint&) {
        if (stopped()) return;
        if (ec2) return retry("cannot connect: " + ec2.message());
        handshake(ws);
      });
    });
  }

  void handshake(const std::shared_ptr<WsStream>& ws) {
    const std::string token = options.token;
    ws->set_option(websocket::stream_base::decorator([token](websocket::request_type& req) {
      req.set(http::field::user_agent, "irhost-onebot");
      if (!token.empty()) req.set(http::field::authorization, bearerValue(token));
    }));
    auto res = std::make_shared<websocket::response_type>();
    ws->async_handshake(*res, url.host + ":" + url.port, url.target, [this, ws, res](beast::error_code ec) {
      if (stopped()) return;
      pending.reset();
      if (ec) {
        const int status = static_cast<int>(res->result_int());
        return retry(status != 0 && status != 101 ? "refused with HTTP " + std::to_string(status)
                                                  : "handshake failed: " + ec.message());
      }
      delay = options.firstDelay;
      adopt(std::move(*ws), std::string((*res)["X-Self-ID"]));
    });
  }

  void retry(const std::string& why) {
    if (stopped()) return;
    pending.reset();
    const auto wait = delay;
    delay = std::min(delay * 2, options.maxDelay);
    if (options.onRetry) options.onRetry(why, wait);
    timer.expires_after(wait);
    timer.async_wait([this](beast::error_code ec) {
      if (!ec) attempt();
    });
  }

  void linkGone(LinkId) override {
    if (!stopped()) retry("link lost");
  }
};

std::unique_ptr<ForwardClient> ForwardClient::start(ForwardClientOptions options, LinkHandlers handlers,
                                                    std::string* error) {
  WsUrl url;
  if (!parseWsUrl(options.url, url)) {
    if (error) *error = "not a ws://host:port address: " + options.url;
    return nullptr;
  }
  auto impl = std::make_unique<Impl>(std::move(options), std::move(url), std::move(handlers));
  impl->begin();
  return std::unique_ptr<ForwardClient>(new ForwardClient(std::move(impl)));
}

ForwardClient::ForwardClient(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ForwardClient::~ForwardClient() = default;
void ForwardClient::send(LinkId link, std::string frame) { impl_->send(link, std::move(frame)); }
void ForwardClient::resume(LinkId link) { impl_->resume(link); }
void ForwardClient::close(LinkId link) { impl_->close(link); }

}  // namespace onebot
