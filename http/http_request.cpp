#include "http/http_request.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <utility>

#include "http/decode_response_text.h"
#include "http/request_headers.h"
#include "http/request_target.h"
#include "http/response_body.h"
#include "http/response_headers.h"
#include "http/winhttp_handle.h"
#include "oleaut32_types.h"
#include "regex/regex_object.h"
#include "runtime/app_routines.h"
#include "runtime/constant_pool.h"
#include "runtime/core_commands.h"
#include "runtime/platform_functions.h"
#include "runtime/wide_text.h"
#include "winhttp.h"

namespace http {
namespace {

using rt::CallPlatformFunction;

// The failure messages, one per step that can fail (there is no 706).
constexpr const char* kPlatformUnsupported = "700 当前系统不支持WinHttp服务!";
constexpr const char* kBadUrl = "701 解析URL地址失败!";
constexpr const char* kNoSession = "702 创建WinHttp会话失败!";
constexpr const char* kNoConnection = "703 创建WinHttp连接失败!";
constexpr const char* kNoRequest = "704 创建WinHttp请求失败!";
constexpr const char* kNoTimeouts = "705 设置超时时间失败!";
constexpr const char* kNoCredentials = "707 设置代理凭证失败!";
constexpr const char* kNoCookieSetting = "708 禁止自动设置Cookies失败!";
constexpr const char* kNoRedirectSetting = "709 重定向设置失败!";
constexpr const char* kNoHeaders = "710 设置协议头失败!";
constexpr const char* kSendFailed = "711 发送请求失败!";
constexpr const char* kNoResponse = "712 服务器未响应!";
constexpr const char* kReadFailed = "713 读取数据失败!";

constexpr int kDefaultTimeoutMs = 30000;

LPCWSTR Verb(int32_t method) {
  switch (method) {
    case 1:
      return OLESTR("POST");
    case 2:
      return OLESTR("HEAD");
    case 3:
      return OLESTR("PUT");
    default:
      return OLESTR("GET");
  }
}

// The same limit for resolving, connecting, sending and receiving. Seconds
// that do not fit in 32-bit milliseconds wait as long as the platform can
// instead of wrapping round to a short or refused limit.
int TimeoutMs(int32_t seconds) {
  if (seconds <= 0) return kDefaultTimeoutMs;
  return static_cast<int>(std::min<int64_t>(int64_t{seconds} * 1000, INT_MAX));
}

// The caller's variable, or `own` when the caller gave none.
template <class T>
T& Variable(T* given, T& own) {
  return given ? *given : own;
}

bool BothGiven(rt::TextRef a, rt::TextRef b) {
  return !a.view().empty() && !b.view().empty();
}

// Leaving a stage lets the calling thread's window handle what queued up
// meanwhile, whether the stage succeeded or not.
bool LeaveStage(bool succeeded) {
  rt::ProcessPendingEvents();
  return succeeded;
}

// One call of the routine. The regular-expression object comes first and so
// goes last, after the request, connection and session handles, in that order.
class RequestCall {
 public:
  explicit RequestCall(const HttpRequestArgs& args)
      : args_(args),
        new_cookies_(Variable(args.new_cookies, own_new_cookies_)),
        response_headers_(Variable(args.response_headers, own_response_headers_)),
        location_(Variable(args.location, own_location_)),
        status_(Variable(args.status, own_status_)),
        body_(Variable(args.body, own_body_)) {}

  rt::Text Run();

 private:
  rt::Text Fail(const char* message) {
    SetStatus(message);
    return {};
  }
  void SetStatus(const char* message) { status_ = rt::Text::Copy(rt::Literal(message)); }

  bool OpenSession();
  bool Connect();
  bool OpenRequest();
  bool SetCredentials(DWORD target, rt::TextRef user, rt::TextRef password);
  bool SetOption(DWORD option, DWORD value);
  bool AddHeaders();
  bool Send();
  void ReadBody(ResponseBody& body);
  bool QueryHeaders(rt::ByteSet* raw);
  rt::Text Answer(ResponseBody& received, const rt::ByteSet& raw_headers);

  const HttpRequestArgs& args_;
  rt::Text own_new_cookies_, own_response_headers_, own_location_, own_status_;
  rt::ByteSet own_body_;
  rt::Text& new_cookies_;
  rt::Text& response_headers_;
  rt::Text& location_;
  rt::Text& status_;
  rt::ByteSet& body_;

  regex::Regex regex_;  // initialises COM on this thread for the call
  RequestTarget target_;
  // The platform reads the body until the answer's head is in, and again for
  // a redirect that repeats the request, so it outlives the handles.
  rt::ByteSet post_body_;
  WinHttpHandle session_;
  WinHttpHandle connection_;
  WinHttpHandle request_;
};

rt::Text RequestCall::Run() {
  if (!CallPlatformFunction<rt::kWinHttpCheckPlatform>()) return Fail(kPlatformUnsupported);
  if (!LeaveStage(CrackRequestUrl(args_.url, &target_))) return Fail(kBadUrl);
  if (!LeaveStage(OpenSession())) return Fail(kNoSession);
  if (!LeaveStage(Connect())) return Fail(kNoConnection);
  if (!LeaveStage(OpenRequest())) return Fail(kNoRequest);
  int t = TimeoutMs(args_.timeout_seconds);
  if (!LeaveStage(CallPlatformFunction<rt::kWinHttpSetTimeouts>(request_.get(), t, t, t, t))) {
    return Fail(kNoTimeouts);
  }
  // Settings that fail return at once, without letting events through.
  if (BothGiven(args_.user, args_.password) &&
      !SetCredentials(WINHTTP_AUTH_TARGET_SERVER, args_.user, args_.password)) {
    return Fail(kNoCredentials);
  }
  if (BothGiven(args_.proxy_user, args_.proxy_password) &&
      !SetCredentials(WINHTTP_AUTH_TARGET_PROXY, args_.proxy_user, args_.proxy_password)) {
    return Fail(kNoCredentials);
  }
  // Without the caller's cookies the platform keeps none of its own; with
  // them (even empty) its cookie handling stays on and the revocation check
  // is switched on in the same place.
  bool cookie_setting =
      args_.cookies ? SetOption(WINHTTP_OPTION_ENABLE_FEATURE, WINHTTP_ENABLE_SSL_REVOCATION)
                    : SetOption(WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_COOKIES);
  if (!cookie_setting) return Fail(kNoCookieSetting);
  if (args_.no_redirect && !SetOption(WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_REDIRECTS)) {
    return Fail(kNoRedirectSetting);
  }
  if (!LeaveStage(AddHeaders())) return Fail(kNoHeaders);
  if (!LeaveStage(Send())) return Fail(kSendFailed);
  if (!LeaveStage(CallPlatformFunction<rt::kWinHttpReceiveResponse>(request_.get(), nullptr))) {
    return Fail(kNoResponse);
  }
  ResponseBody received;
  ReadBody(received);
  rt::ByteSet raw_headers;
  // Without the header block nothing more is written and the result is empty.
  if (!LeaveStage(QueryHeaders(&raw_headers))) return {};
  return Answer(received, raw_headers);
}

bool RequestCall::OpenSession() {
  DWORD access = WINHTTP_ACCESS_TYPE_NO_PROXY;
  rt::ByteSet proxy;
  if (!args_.proxy.view().empty()) {
    // A plain request names its proxy for http only; a secure one for all.
    access = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
    proxy = target_.secure ? rt::AnsiToWide(args_.proxy)
                           : rt::AnsiToWide(rt::ConcatTexts({"http=", args_.proxy}));
  }
  session_.Reset(CallPlatformFunction<rt::kWinHttpOpen>(nullptr, access, rt::WideChars(proxy),
                                                        nullptr, DWORD{0}));
  return bool(session_);
}

bool RequestCall::Connect() {
  rt::ByteSet host = rt::AnsiToWide(target_.host);
  connection_.Reset(CallPlatformFunction<rt::kWinHttpConnect>(session_.get(), rt::WideChars(host),
                                                              target_.port, DWORD{0}));
  return bool(connection_);
}

bool RequestCall::OpenRequest() {
  DWORD flags = target_.secure ? WINHTTP_FLAG_SECURE : 0;
  request_.Reset(CallPlatformFunction<rt::kWinHttpOpenRequest>(
      connection_.get(), Verb(args_.method), target_.object_name.c_str(), nullptr, nullptr, nullptr,
      flags));
  return bool(request_);
}

bool RequestCall::SetCredentials(DWORD target, rt::TextRef user, rt::TextRef password) {
  rt::ByteSet wide_user = rt::AnsiToWide(user);
  rt::ByteSet wide_password = rt::AnsiToWide(password);
  return CallPlatformFunction<rt::kWinHttpSetCredentials>(
      request_.get(), target, WINHTTP_AUTH_SCHEME_BASIC, rt::WideChars(wide_user),
      rt::WideChars(wide_password), nullptr);
}

bool RequestCall::SetOption(DWORD option, DWORD value) {
  return CallPlatformFunction<rt::kWinHttpSetOption>(request_.get(), option, &value,
                                                     DWORD{sizeof value});
}

bool RequestCall::AddHeaders() {
  rt::Text headers =
      BuildRequestHeaders(args_.extra_headers, args_.cookies ? args_.cookies->get() : nullptr);
  rt::ByteSet wide = rt::AnsiToWide(headers);
  return CallPlatformFunction<rt::kWinHttpAddRequestHeaders>(
      request_.get(), rt::WideChars(wide), rt::WideLength(wide),
      WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
}

// The body goes as UTF-16 with its terminator; no text, no body.
bool RequestCall::Send() {
  post_body_ = rt::AnsiToWide(args_.post_data);
  auto length = static_cast<DWORD>(post_body_.size());
  return CallPlatformFunction<rt::kWinHttpSendRequest>(request_.get(), nullptr, DWORD{0},
                                                       static_cast<void*>(post_body_.data()),
                                                       length, length, DWORD_PTR{0});
}

// Reads until the platform has no more to offer. A failed read keeps what
// arrived and leaves its message, which the status line replaces when the
// header block can still be had.
void RequestCall::ReadBody(ResponseBody& body) {
  for (;;) {
    DWORD available = 0;
    if (!CallPlatformFunction<rt::kWinHttpQueryDataAvailable>(request_.get(), &available) ||
        available < 1) {
      return;
    }
    // Reads land straight in the body; one that would pass the largest byte
    // set fails like a broken read instead of ending the program.
    uint8_t* room = body.Room(available);
    DWORD read = 0;
    if (!room ||
        !CallPlatformFunction<rt::kWinHttpReadData>(request_.get(), room, available, &read)) {
      SetStatus(kReadFailed);
      return;
    }
    body.Commit(std::min(read, available));
  }
}

// The raw header block, CR LF separated: its size first, then the block.
bool RequestCall::QueryHeaders(rt::ByteSet* raw) {
  DWORD length = 0;
  DWORD index = 0;
  CallPlatformFunction<rt::kWinHttpQueryHeaders>(request_.get(), WINHTTP_QUERY_RAW_HEADERS_CRLF,
                                                 nullptr, nullptr, &length, &index);
  *raw = rt::ByteSet(rt::NewZeroByteSet(length));
  index = 0;
  return CallPlatformFunction<rt::kWinHttpQueryHeaders>(
      request_.get(), WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, static_cast<void*>(raw->data()),
      &length, &index);
}

rt::Text RequestCall::Answer(ResponseBody& received, const rt::ByteSet& raw_headers) {
  rt::Text headers = rt::WideToAnsi(raw_headers);
  ResponseHeaderFields fields;
  fields.new_cookies = std::move(new_cookies_);
  fields.location = std::move(location_);
  ProcessResponseHeaders(headers, fields, args_.cookies);
  status_ = std::move(fields.status);
  response_headers_ = std::move(fields.response_headers);
  new_cookies_ = std::move(fields.new_cookies);
  location_ = std::move(fields.location);
  // The byte set is a second block holding the whole body, so it is made
  // only for a caller that asked for it; the text then takes the received
  // block itself unless the page is decoded from another charset.
  if (args_.body) body_ = received.CopyToByteSet();
  std::optional<rt::Text> decoded = DecodeDeclaredCharset(received.bytes(), body_, regex_);
  return decoded ? std::move(*decoded) : received.TakeText();
}

}  // namespace

rt::Text HttpRequest(const HttpRequestArgs& args) {
  return RequestCall(args).Run();
}

rt::Text HttpRequest(rt::TextRef url) {
  return HttpRequest(HttpRequestArgs{.url = url});
}

}  // namespace http
