#include "http_transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <type_traits>

#include "blocking_wait.h"
#include "curl_handles.h"
#include "net_routing.h"

namespace platform::net {

// What the header assumes of libcurl's types.
static_assert(std::is_same_v<CURL, void> && std::is_same_v<CURLM, void>);
static_assert(std::is_same_v<curl_off_t, int64_t>);

namespace {

// libcurl is paused while this much of the body waits for its reader.
constexpr size_t kBufferHighWater = 256 * 1024;
// Reads that leave more than this unread at the front move the rest down.
constexpr size_t kCompactThreshold = 64 * 1024;
// The longest single sleep in curl_multi_poll, so limits are checked often.
constexpr long kMaxPollMs = 1000;

std::string_view TrimLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

std::string_view TrimValue(std::string_view value) {
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  return value;
}

bool HasName(std::string_view line, std::string_view name) {
  return line.size() > name.size() && line[name.size()] == ':' &&
         SameHeaderName(line.substr(0, name.size()), name);
}

int StatusOf(std::string_view status_line) {
  size_t space = status_line.find(' ');
  if (space == std::string_view::npos) return 0;
  int status = 0;
  for (size_t i = space + 1; i < status_line.size() && i < space + 4; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(status_line[i]))) return 0;
    status = status * 10 + (status_line[i] - '0');
  }
  return status;
}

// "host[:port]" of a proxy, its port 80 when none is given.
std::pair<std::string, int> SplitServer(std::string_view server) {
  size_t colon = server.rfind(':');
  if (colon == std::string_view::npos || server.find(']', colon) != std::string_view::npos) {
    return {std::string(server), 80};
  }
  int port = 0;
  for (char c : server.substr(colon + 1)) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return {std::string(server), 80};
    port = std::min(port * 10 + (c - '0'), 65536);
  }
  return {std::string(server.substr(0, colon)), port};
}

// Which idle connections could serve a hop: the pool prefers handles that
// served the same scheme, host, port and proxy before.
size_t RouteOf(const HopRequest& hop) {
  std::hash<std::string_view> hash;
  size_t route = hash(hop.url.host) ^ (hash(hop.proxy) << 1);
  return route ^ (static_cast<size_t>(hop.url.port) << 2 | (hop.url.secure ? 1u : 0u));
}

}  // namespace

std::optional<std::string_view> ResponseHead::Value(std::string_view name) const {
  for (const std::string& line : lines) {
    if (HasName(line, name)) return TrimValue(std::string_view(line).substr(name.size() + 1));
  }
  return std::nullopt;
}

std::vector<std::string_view> ResponseHead::Values(std::string_view name) const {
  std::vector<std::string_view> values;
  for (const std::string& line : lines) {
    if (HasName(line, name))
      values.push_back(TrimValue(std::string_view(line).substr(name.size() + 1)));
  }
  return values;
}

Transfer::Transfer() = default;

Transfer::~Transfer() {
  Detach();
  if (easy_) ReturnCurlHandles({multi_, easy_}, route_);
  curl_slist_free_all(resolve_list_);
}

void Transfer::Detach() {
  if (attached_) curl_multi_remove_handle(multi_, easy_);
  attached_ = false;
}

void Transfer::Begin(const HopRequest& hop) {
  Detach();
  route_ = RouteOf(hop);
  if (!easy_) {
    CurlHandles handles = TakeCurlHandles(route_);
    multi_ = handles.multi;
    easy_ = handles.easy;
  }
  curl_easy_reset(easy_);
  curl_slist_free_all(resolve_list_);
  resolve_list_ = nullptr;
  body_ = hop.body;
  body_size_ = hop.body ? hop.body_size : 0;
  upload_position_ = 0;
  upload_rest_.clear();
  rest_begin_ = 0;
  started_ = head_complete_ = header_overflow_ = paused_ = finished_ = false;
  result_ = CURLE_OK;
  failure_ = Failure::kNone;
  block_ = {};
  head_ = {};
  buffer_.clear();
  read_position_ = 0;

  // Only the next hop's proxy or host is looked up, and only where the routing
  // rules allow; a refused name fails here without reaching any resolver.
  auto [proxy_host, proxy_port] = SplitServer(hop.proxy);
  HostRoute route =
      hop.proxy.empty() ? RouteHost(hop.url.host, hop.url.port) : RouteHost(proxy_host, proxy_port);
  if (!route.resolvable || !IsValidHostName(hop.url.host) || proxy_port > 65535) {
    finished_ = true;
    result_ = CURLE_COULDNT_RESOLVE_HOST;
    Fail(Failure::kNameNotResolved);
    return;
  }
  if (!route.resolve_entry.empty()) {
    resolve_list_ = curl_slist_append(nullptr, route.resolve_entry.c_str());
    curl_easy_setopt(easy_, CURLOPT_RESOLVE, resolve_list_);
  }

  std::string url = hop.url.Text();
  curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION,
                   hop.http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
  // An empty proxy text also keeps libcurl from taking one from the
  // environment, and an empty exception list keeps the environment's from
  // sending around the proxy the caller named; bypassing is the proxy list's.
  std::string proxy = hop.proxy.empty() ? "" : "http://" + hop.proxy;
  curl_easy_setopt(easy_, CURLOPT_PROXY, proxy.c_str());
  curl_easy_setopt(easy_, CURLOPT_NOPROXY, "");
  curl_easy_setopt(easy_, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, hop.connect_timeout_ms);
  if (hop.reuse_connection) {
    auto age = std::chrono::duration_cast<std::chrono::seconds>(IdleConnectionAge());
    curl_easy_setopt(easy_, CURLOPT_MAXAGE_CONN, std::max<long>(1, static_cast<long>(age.count())));
  } else {
    curl_easy_setopt(easy_, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(easy_, CURLOPT_FORBID_REUSE, 1L);
  }
  std::string ca_bundle = ExtraCaBundle();
  if (!ca_bundle.empty()) curl_easy_setopt(easy_, CURLOPT_CAINFO, ca_bundle.c_str());
  // The agent is one header value like any other: cut at its first line break.
  std::string user_agent(FirstLine(hop.user_agent));
  if (!user_agent.empty()) curl_easy_setopt(easy_, CURLOPT_USERAGENT, user_agent.c_str());
  if (hop.server_credentials) {
    curl_easy_setopt(easy_, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(easy_, CURLOPT_USERNAME, hop.server_credentials->user.c_str());
    curl_easy_setopt(easy_, CURLOPT_PASSWORD, hop.server_credentials->password.c_str());
  }
  if (hop.proxy_credentials && !hop.proxy.empty()) {
    curl_easy_setopt(easy_, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(easy_, CURLOPT_PROXYUSERNAME, hop.proxy_credentials->user.c_str());
    curl_easy_setopt(easy_, CURLOPT_PROXYPASSWORD, hop.proxy_credentials->password.c_str());
  }

  bool head_only = hop.method == "HEAD";
  bool sends_body = !head_only && (body_size_ > 0 || hop.content_length);

  // The caller's lines in order, then libcurl's defaults switched off: its
  // Accept on every request, its Expect and Content-Type where a body goes
  // out. A line with an empty value is written "Name;", libcurl's spelling for
  // "send it empty". The lines go into one text, each closed by a NUL, sized
  // first so that the list can point into it while it is written.
  std::string_view defaults[] = {"Accept", "Expect", "Content-Type"};
  const size_t default_count = sends_body ? std::size(defaults) : 1;
  bool given[std::size(defaults)] = {};
  size_t text_size = 0;
  for (const HeaderField& field : hop.headers) {
    text_size += field.name.size() + 2 + field.value.size() + 1;
    for (size_t i = 0; i < std::size(defaults); ++i) {
      given[i] = given[i] || SameHeaderName(field.name, defaults[i]);
    }
  }
  for (size_t i = 0; i < default_count; ++i) text_size += defaults[i].size() + 2;
  header_text_.clear();
  header_text_.reserve(text_size);
  header_list_.clear();
  header_list_.reserve(hop.headers.size() + default_count);
  auto add_line = [this](std::string_view name, std::string_view separator,
                         std::string_view value) {
    if (!header_list_.empty()) header_list_.back().next = &header_list_.back() + 1;
    header_list_.push_back({header_text_.data() + header_text_.size(), nullptr});
    for (std::string_view part : {name, separator, value}) {
      header_text_.insert(header_text_.end(), part.begin(), part.end());
    }
    header_text_.push_back('\0');
  };
  for (const HeaderField& field : hop.headers) {
    add_line(field.name, field.value.empty() ? ";" : ": ", field.value);
  }
  for (size_t i = 0; i < default_count; ++i) {
    if (!given[i]) add_line(defaults[i], ":", "");
  }
  curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, header_list_.empty() ? nullptr : header_list_.data());

  if (head_only) {
    curl_easy_setopt(easy_, CURLOPT_NOBODY, 1L);
  } else if (sends_body) {
    // POST mode carries the Content-Length; any other verb rides on it, and a
    // redirect can never turn it into something libcurl chose.
    curl_easy_setopt(easy_, CURLOPT_POST, 1L);
    curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body_size_));
    curl_easy_setopt(easy_, CURLOPT_READFUNCTION, &Transfer::OnUpload);
    curl_easy_setopt(easy_, CURLOPT_READDATA, this);
    curl_easy_setopt(easy_, CURLOPT_SEEKFUNCTION, &Transfer::OnSeek);
    curl_easy_setopt(easy_, CURLOPT_SEEKDATA, this);
    if (hop.method != "POST") curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, hop.method.c_str());
  } else if (hop.method != "GET") {
    curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, hop.method.c_str());
  }

  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy_, CURLOPT_PREREQFUNCTION, &Transfer::OnRequestStart);
  curl_easy_setopt(easy_, CURLOPT_PREREQDATA, this);

  if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) {
    finished_ = true;
    result_ = CURLE_FAILED_INIT;
    Fail(Failure::kCannotConnect);
    return;
  }
  attached_ = true;
}

void Transfer::Cancel() {
  cancelled_.store(true);
  // A wait sets `waiting_` before it looks at `cancelled_`, so either it sees
  // the cancel or the cancel sees it; closing an idle request costs no wake-up.
  if (waiting_.load()) curl_multi_wakeup(multi_);
}

void Transfer::Fail(Failure failure) {
  if (failure_ == Failure::kNone) failure_ = failure;
  Detach();
  finished_ = true;
  buffer_.clear();
  read_position_ = 0;
}

void Transfer::CollectResult() {
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
      finished_ = true;
      result_ = message->data.result;
    }
  }
}

Failure Transfer::Classify() const {
  switch (result_) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return Failure::kNameNotResolved;
    case CURLE_COULDNT_CONNECT:
      return Failure::kCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return Failure::kTimeout;
    case CURLE_PEER_FAILED_VERIFICATION: {
      // OpenSSL's verdict on the chain; libcurl checks the name itself, so a
      // name mismatch arrives with a chain that verified.
      long verdict = 0;
      curl_easy_getinfo(easy_, CURLINFO_SSL_VERIFYRESULT, &verdict);
      if (verdict == 0 || verdict == 62 /* hostname mismatch */) return Failure::kCertificateName;
      if (verdict == 9 || verdict == 10)
        return Failure::kCertificateDate;  // not yet / no longer valid
      return Failure::kCertificateAuthority;
    }
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_USE_SSL_FAILED:
      return Failure::kSecureChannel;
    case CURLE_GOT_NOTHING:
      return Failure::kNoResponse;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:  // also an HTTP/0.9 answer
    case CURLE_BAD_CONTENT_ENCODING:
      return Failure::kInvalidResponse;
    case CURLE_WRITE_ERROR:
    case CURLE_OUT_OF_MEMORY:  // libcurl's answer to a single oversized header line
      return header_overflow_ || (started_ && !head_complete_) ? Failure::kHeaderTooLarge
                                                               : Failure::kConnectionError;
    default:
      // Before the request went out the failure lay in reaching the server
      // (a proxy refusing the tunnel, for one).
      return started_ ? Failure::kConnectionError : Failure::kCannotConnect;
  }
}

template <class Ready>
bool Transfer::Drive(Ready ready, const WaitLimits& limits) {
  if (failure_ != Failure::kNone) return false;
  waiting_.store(true);
  struct Done {
    std::atomic<bool>& waiting;
    ~Done() { waiting.store(false); }
  } done{waiting_};
  Clock::time_point idle_since = Clock::now();
  Clock::time_point hook_ran = idle_since;
  uint64_t seen = activity_;
  for (;;) {
    if (cancelled_.load()) {
      Fail(Failure::kCancelled);
      return false;
    }
    if (!finished_) {
      int running = 0;
      curl_multi_perform(multi_, &running);
      CollectResult();
    }
    if (ready()) return true;
    if (finished_) {
      Fail(result_ == CURLE_OK ? Failure::kNoResponse : Classify());
      return false;
    }

    Clock::time_point now = Clock::now();
    if (activity_ != seen) {
      seen = activity_;
      idle_since = now;
    }
    bool uploading = started_ && upload_position_ < body_size_ && !head_complete_;
    long idle_limit =
        uploading && limits.upload_idle_ms >= 0 ? limits.upload_idle_ms : limits.idle_ms;
    const bool hooked = HasBlockingWaitHook();
    long wait_ms = hooked ? kBlockingWaitSliceMs : kMaxPollMs;
    if (idle_limit >= 0) {
      auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(now - idle_since).count();
      wait_ms = std::min<long>(wait_ms, idle_limit - static_cast<long>(idle));
    }
    if (limits.deadline != Clock::time_point::max()) {
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(limits.deadline - now).count();
      wait_ms = std::min<long>(wait_ms, static_cast<long>(left));
    }
    if (wait_ms <= 0) {
      Fail(Failure::kTimeout);
      return false;
    }
    curl_multi_poll(multi_, nullptr, 0, static_cast<int>(wait_ms), nullptr);
    if (hooked && Clock::now() - hook_ran >= std::chrono::milliseconds(kBlockingWaitSliceMs)) {
      RunBlockingWaitHook();
      hook_ran = Clock::now();
    }
  }
}

bool Transfer::WaitStarted(const WaitLimits& limits) {
  return Drive([this] { return started_; }, limits);
}

bool Transfer::WaitHead(const WaitLimits& limits) {
  return Drive([this] { return head_complete_; }, limits);
}

bool Transfer::WaitData(const WaitLimits& limits) {
  return Drive([this] { return Available() > 0 || (finished_ && result_ == CURLE_OK); }, limits);
}

bool Transfer::AtEnd() const {
  return failure_ == Failure::kNone && finished_ && result_ == CURLE_OK && Available() == 0;
}

size_t Transfer::Read(void* destination, size_t size) {
  size_t count = std::min(size, Available());
  if (count == 0) return 0;
  std::memcpy(destination, buffer_.data() + read_position_, count);
  read_position_ += count;
  if (read_position_ == buffer_.size()) {
    buffer_.clear();
    read_position_ = 0;
  } else if (read_position_ > kCompactThreshold && read_position_ > buffer_.size() / 2) {
    buffer_.erase(0, read_position_);
    read_position_ = 0;
  }
  if (paused_ && Available() < kBufferHighWater) {
    paused_ = false;
    curl_easy_pause(easy_, CURLPAUSE_CONT);  // may deliver held-back data right away
  }
  return count;
}

bool Transfer::ReadSome(void* destination, size_t size, const WaitLimits& limits, size_t* read) {
  *read = 0;
  if (size == 0 || Available() > 0 || AtEnd()) {
    *read = Read(destination, size);
    return true;
  }
  direct_ = static_cast<char*>(destination);
  direct_size_ = size;
  direct_filled_ = 0;
  bool ready = Drive(
      [this] {
        return direct_filled_ > 0 || Available() > 0 || (finished_ && result_ == CURLE_OK);
      },
      limits);
  size_t filled = direct_filled_;
  direct_ = nullptr;
  direct_size_ = direct_filled_ = 0;
  if (!ready) return false;
  *read = filled + Read(static_cast<char*>(destination) + filled, size - filled);
  return true;
}

size_t Transfer::OnHeader(char* data, size_t size, size_t count, void* self) {
  auto* transfer = static_cast<Transfer*>(self);
  size_t length = size * count;
  ++transfer->activity_;
  if (transfer->head_complete_) return length;  // trailers after a chunked body
  std::string_view line = TrimLine(std::string_view(data, length));
  ResponseHead& block = transfer->block_;
  if (line.starts_with("HTTP/")) {
    block = {};
    block.status_line = std::string(line);
    block.status = StatusOf(line);
    block.size = length;
    return length;
  }
  if (line.empty()) {
    // An interim answer (100 Continue and the like) is skipped; the next
    // status line starts the real head.
    if (block.status >= 100 && block.status < 200 && block.status != 101) {
      block = {};
      return length;
    }
    transfer->head_ = std::move(block);
    block = {};
    transfer->head_complete_ = true;
    // The caller may let go of the body once the head is in; libcurl may
    // still be sending it when the server answered early.
    if (transfer->body_ && transfer->upload_position_ < transfer->body_size_) {
      transfer->rest_begin_ = transfer->upload_position_;
      transfer->upload_rest_.assign(
          reinterpret_cast<const char*>(transfer->body_) + transfer->upload_position_,
          transfer->body_size_ - transfer->upload_position_);
      transfer->body_ = nullptr;
    }
    return length;
  }
  block.size += length;
  if (block.size > kMaxResponseHeadSize) {
    transfer->header_overflow_ = true;
    return 0;  // libcurl stops the transfer
  }
  block.lines.emplace_back(line);
  return length;
}

size_t Transfer::OnBody(char* data, size_t size, size_t count, void* self) {
  auto* transfer = static_cast<Transfer*>(self);
  size_t length = size * count;
  size_t direct = std::min(length, transfer->direct_size_ - transfer->direct_filled_);
  // Once part of a delivery is taken it cannot be handed back with a pause;
  // the rest of it is buffered whatever the buffer holds.
  if (direct == 0 && transfer->Available() >= kBufferHighWater) {
    transfer->paused_ = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  ++transfer->activity_;
  if (direct > 0) {
    std::memcpy(transfer->direct_ + transfer->direct_filled_, data, direct);
    transfer->direct_filled_ += direct;
  }
  transfer->buffer_.append(data + direct, length - direct);
  return length;
}

size_t Transfer::OnUpload(char* data, size_t size, size_t count, void* self) {
  auto* transfer = static_cast<Transfer*>(self);
  size_t length = std::min(size * count, transfer->body_size_ - transfer->upload_position_);
  if (length > 0) {
    const char* source =
        transfer->body_
            ? reinterpret_cast<const char*>(transfer->body_) + transfer->upload_position_
            : transfer->upload_rest_.data() + (transfer->upload_position_ - transfer->rest_begin_);
    std::memcpy(data, source, length);
    transfer->upload_position_ += length;
    ++transfer->activity_;
  }
  return length;
}

int Transfer::OnSeek(void* self, int64_t offset, int origin) {
  auto* transfer = static_cast<Transfer*>(self);
  if (origin != SEEK_SET || offset < 0 || static_cast<size_t>(offset) > transfer->body_size_ ||
      (!transfer->body_ && static_cast<size_t>(offset) < transfer->rest_begin_)) {
    return CURL_SEEKFUNC_CANTSEEK;
  }
  transfer->upload_position_ = static_cast<size_t>(offset);
  return CURL_SEEKFUNC_OK;
}

int Transfer::OnRequestStart(void* self, char*, char*, int, int) {
  auto* transfer = static_cast<Transfer*>(self);
  transfer->started_ = true;
  ++transfer->activity_;
  return CURL_PREREQFUNC_OK;
}

}  // namespace platform::net
