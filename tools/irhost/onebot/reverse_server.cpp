#include "onebot/reverse_server.h"

#include <boost/beast/http.hpp>

#include "onebot/auth.h"
#include "onebot/json_frame.h"
#include "onebot/ws_endpoint.h"
#include "text/search.h"

namespace onebot {

using namespace detail;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = net::ip::tcp;

struct ReverseServer::Impl : Endpoint {
  ReverseServerOptions options;
  tcp::acceptor acceptor{ioc_};
  std::uint16_t boundPort = 0;

  Impl(ReverseServerOptions o, LinkHandlers handlers)
      : Endpoint(std::move(handlers), o.readLimit), options(std::move(o)) {}
  ~Impl() override { stop(); }

  bool bind(std::string* error) {
    beast::error_code ec;
    const auto address = net::ip::make_address(options.address, ec);
    if (ec) {
      if (error) *error = "not an IP address: " + options.address;
      return false;
    }
    const tcp::endpoint at{address, options.port};
    acceptor.open(at.protocol(), ec);
    if (!ec) acceptor.set_option(net::socket_base::reuse_address(true), ec);
    if (!ec) acceptor.bind(at, ec);
    if (!ec) acceptor.listen(net::socket_base::max_listen_connections, ec);
    if (ec) {
      if (error) *error = "cannot listen on " + options.address + ":" + std::to_string(options.port) + ": " + ec.message();
      return false;
    }
    boundPort = acceptor.local_endpoint(ec).port();
    accept();
    run();
    return true;
  }

  void stopping() override {
    beast::error_code ignored;
    acceptor.close(ignored);
  }

  void accept() {
    acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) {
      if (stopped()) return;
      if (!ec) handshake(std::move(socket));
      accept();
    });
  }

  // One connection from its first byte to a link or a refusal.
  struct Handshake {
    beast::tcp_stream stream;
    beast::flat_buffer buffer;
    http::request_parser<http::string_body> parser;
    std::string peer;
    explicit Handshake(tcp::socket s) : stream(std::move(s)) {
      parser.header_limit(16 * 1024);
      parser.body_limit(16 * 1024);
      beast::error_code ec;
      const auto remote = stream.socket().remote_endpoint(ec);
      if (!ec) peer = remote.address().to_string() + ":" + std::to_string(remote.port());
    }
  };

  void handshake(tcp::socket socket) {
    auto h = std::make_shared<Handshake>(std::move(socket));
    h->stream.expires_after(std::chrono::seconds(10));
    http::async_read(h->stream, h->buffer, h->parser, [this, h](beast::error_code ec, std::size_t) {
      if (stopped() || ec) return;
      judge(h);
    });
  }

  void judge(const std::shared_ptr<Handshake>& h) {
    const auto& req = h->parser.get();
    const std::string_view target = view(req.target());
    const std::string_view path = target.substr(0, target.find('?'));
    if (!websocket::is_upgrade(req)) return refuse(h, http::status::bad_request, "not a WebSocket upgrade");
    if (path != options.path) return refuse(h, http::status::not_found, "wrong path " + std::string(path));
    if (!authorizationMatches(view(req[http::field::authorization]), options.token))
      return refuse(h, http::status::unauthorized, "wrong or missing token");
    const std::string selfId(req["X-Self-ID"]);
    if (!isQqNumber(selfId)) return refuse(h, http::status::bad_request, "missing or invalid X-Self-ID");
    const std::string_view role = view(req["X-Client-Role"]);
    if (text::asciiLower(role) != "universal")
      return refuse(h, http::status::bad_request, "role \"" + std::string(role) + "\" (only Universal is served)");

    auto ws = std::make_shared<WsStream>(std::move(h->stream));
    ws->set_option(websocket::stream_base::decorator(
        [](websocket::response_type& res) { res.set(http::field::server, "irhost-onebot"); }));
    ws->async_accept(req, [this, ws, h, selfId](beast::error_code ec) {
      if (stopped()) return;
      if (ec) {
        if (options.onRefused) options.onRefused("handshake failed from " + h->peer + ": " + ec.message());
        return;
      }
      adopt(std::move(*ws), selfId);
    });
  }

  void refuse(const std::shared_ptr<Handshake>& h, http::status status, const std::string& why) {
    if (options.onRefused)
      options.onRefused(std::to_string(static_cast<int>(status)) + " " + why + " from " + h->peer);
    // No body: WebSocket clients read the refusal's head only, and some fail on a body.
    auto res = std::make_shared<http::response<http::empty_body>>(status, h->parser.get().version());
    res->set(http::field::server, "irhost-onebot");
    res->keep_alive(false);
    res->prepare_payload();
    http::async_write(h->stream, *res, [h, res](beast::error_code, std::size_t) {
      beast::error_code ignored;
      h->stream.socket().shutdown(tcp::socket::shutdown_both, ignored);
      h->stream.close();
    });
  }

};

std::unique_ptr<ReverseServer> ReverseServer::listen(ReverseServerOptions options, LinkHandlers handlers,
                                                     std::string* error) {
  auto impl = std::make_unique<Impl>(std::move(options), std::move(handlers));
  if (!impl->bind(error)) return nullptr;
  return std::unique_ptr<ReverseServer>(new ReverseServer(std::move(impl)));
}

ReverseServer::ReverseServer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ReverseServer::~ReverseServer() = default;
std::uint16_t ReverseServer::port() const { return impl_->boundPort; }
void ReverseServer::send(LinkId link, std::string frame) { impl_->send(link, std::move(frame)); }
void ReverseServer::resume(LinkId link) { impl_->resume(link); }
void ReverseServer::close(LinkId link) { impl_->close(link); }

}  // namespace onebot
