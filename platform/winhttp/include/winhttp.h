// The WinHTTP subset the request routine drives: declarations with the
// platform's signatures and the numbers callers pass. Texts are UTF-16.
#pragma once

#include "internet_types.h"
#include "win32_types.h"

inline constexpr INTERNET_SCHEME INTERNET_SCHEME_HTTP = 1;
inline constexpr INTERNET_SCHEME INTERNET_SCHEME_HTTPS = 2;

inline constexpr DWORD WINHTTP_ACCESS_TYPE_DEFAULT_PROXY = 0;
inline constexpr DWORD WINHTTP_ACCESS_TYPE_NO_PROXY = 1;
inline constexpr DWORD WINHTTP_ACCESS_TYPE_NAMED_PROXY = 3;
inline constexpr DWORD WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY = 4;
inline constexpr DWORD WINHTTP_FLAG_ASYNC = 0x10000000;
inline constexpr DWORD WINHTTP_FLAG_SECURE = 0x00800000;
inline constexpr DWORD WINHTTP_FLAG_ESCAPE_DISABLE = 0x00000040;

inline constexpr DWORD WINHTTP_OPTION_DISABLE_FEATURE = 63;
inline constexpr DWORD WINHTTP_OPTION_ENABLE_FEATURE = 79;
inline constexpr DWORD WINHTTP_DISABLE_COOKIES = 1;
inline constexpr DWORD WINHTTP_DISABLE_REDIRECTS = 2;
inline constexpr DWORD WINHTTP_DISABLE_AUTHENTICATION = 4;
inline constexpr DWORD WINHTTP_DISABLE_KEEP_ALIVE = 8;
inline constexpr DWORD WINHTTP_ENABLE_SSL_REVOCATION = 1;

inline constexpr DWORD WINHTTP_ADDREQ_FLAG_ADD_IF_NEW = 0x10000000;
inline constexpr DWORD WINHTTP_ADDREQ_FLAG_ADD = 0x20000000;
inline constexpr DWORD WINHTTP_ADDREQ_FLAG_REPLACE = 0x80000000;
inline constexpr DWORD WINHTTP_ADDREQ_FLAG_COALESCE_WITH_COMMA = 0x40000000;
inline constexpr DWORD WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON = 0x01000000;

inline constexpr DWORD WINHTTP_QUERY_RAW_HEADERS = 21;
inline constexpr DWORD WINHTTP_QUERY_RAW_HEADERS_CRLF = 22;

inline constexpr DWORD WINHTTP_AUTH_TARGET_SERVER = 0;
inline constexpr DWORD WINHTTP_AUTH_TARGET_PROXY = 1;
inline constexpr DWORD WINHTTP_AUTH_SCHEME_BASIC = 1;

inline constexpr DWORD ERROR_WINHTTP_TIMEOUT = 12002;
inline constexpr DWORD ERROR_WINHTTP_INVALID_URL = 12005;
inline constexpr DWORD ERROR_WINHTTP_UNRECOGNIZED_SCHEME = 12006;
inline constexpr DWORD ERROR_WINHTTP_NAME_NOT_RESOLVED = 12007;
inline constexpr DWORD ERROR_WINHTTP_INVALID_OPTION = 12009;
inline constexpr DWORD ERROR_WINHTTP_OPERATION_CANCELLED = 12017;
inline constexpr DWORD ERROR_WINHTTP_INCORRECT_HANDLE_TYPE = 12018;
inline constexpr DWORD ERROR_WINHTTP_INCORRECT_HANDLE_STATE = 12019;
inline constexpr DWORD ERROR_WINHTTP_CANNOT_CONNECT = 12029;
inline constexpr DWORD ERROR_WINHTTP_CONNECTION_ERROR = 12030;
inline constexpr DWORD ERROR_WINHTTP_HEADER_NOT_FOUND = 12150;
inline constexpr DWORD ERROR_WINHTTP_INVALID_SERVER_RESPONSE = 12152;
inline constexpr DWORD ERROR_WINHTTP_INVALID_HEADER = 12153;
inline constexpr DWORD ERROR_WINHTTP_HEADER_ALREADY_EXISTS = 12155;
inline constexpr DWORD ERROR_WINHTTP_REDIRECT_FAILED = 12156;
inline constexpr DWORD ERROR_WINHTTP_SECURE_FAILURE = 12175;
inline constexpr DWORD ERROR_WINHTTP_HEADER_SIZE_OVERFLOW = 12183;

// The parts of a URL as WinHttpCrackUrl reports them. A part whose length is 0
// is not asked for; with a null pointer and a non-zero length the part points
// into the URL itself; with a buffer and its size in units it is copied there.
struct URL_COMPONENTS {
  DWORD dwStructSize;
  LPWSTR lpszScheme;
  DWORD dwSchemeLength;
  INTERNET_SCHEME nScheme;
  LPWSTR lpszHostName;
  DWORD dwHostNameLength;
  INTERNET_PORT nPort;
  LPWSTR lpszUserName;
  DWORD dwUserNameLength;
  LPWSTR lpszPassword;
  DWORD dwPasswordLength;
  LPWSTR lpszUrlPath;
  DWORD dwUrlPathLength;
  LPWSTR lpszExtraInfo;
  DWORD dwExtraInfoLength;
};
using LPURL_COMPONENTS = URL_COMPONENTS*;

BOOL WinHttpCheckPlatform();
BOOL WinHttpCrackUrl(LPCWSTR url, DWORD url_length, DWORD flags, LPURL_COMPONENTS components);
HINTERNET WinHttpOpen(LPCWSTR agent, DWORD access_type, LPCWSTR proxy, LPCWSTR proxy_bypass,
                      DWORD flags);
HINTERNET WinHttpConnect(HINTERNET session, LPCWSTR server_name, INTERNET_PORT server_port,
                         DWORD reserved);
HINTERNET WinHttpOpenRequest(HINTERNET connection, LPCWSTR verb, LPCWSTR object_name,
                             LPCWSTR version, LPCWSTR referrer, LPCWSTR* accept_types, DWORD flags);
BOOL WinHttpSetTimeouts(HINTERNET handle, int resolve_timeout, int connect_timeout,
                        int send_timeout, int receive_timeout);
BOOL WinHttpSetCredentials(HINTERNET request, DWORD auth_targets, DWORD auth_scheme,
                           LPCWSTR user_name, LPCWSTR password, LPVOID auth_params);
BOOL WinHttpCloseHandle(HINTERNET handle);
BOOL WinHttpSetOption(HINTERNET handle, DWORD option, LPVOID buffer, DWORD buffer_length);
BOOL WinHttpAddRequestHeaders(HINTERNET request, LPCWSTR headers, DWORD headers_length,
                              DWORD modifiers);
BOOL WinHttpSendRequest(HINTERNET request, LPCWSTR headers, DWORD headers_length, LPVOID optional,
                        DWORD optional_length, DWORD total_length, DWORD_PTR context);
BOOL WinHttpReceiveResponse(HINTERNET request, LPVOID reserved);
BOOL WinHttpQueryDataAvailable(HINTERNET request, LPDWORD bytes_available);
BOOL WinHttpReadData(HINTERNET request, LPVOID buffer, DWORD bytes_to_read, LPDWORD bytes_read);
BOOL WinHttpQueryHeaders(HINTERNET request, DWORD info_level, LPCWSTR name, LPVOID buffer,
                         LPDWORD buffer_length, LPDWORD index);
