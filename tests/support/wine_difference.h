// Where Wine departs from what Windows documents. A test of the Windows
// build that meets such a departure names it through KnownWineDifference and
// then checks what Wine does instead: the difference shows in the output of
// every run and is counted there, and the test still catches a fault.
#pragma once

namespace test {

// The departures met so far, each as the tests name it.
namespace wine {
// Wine's "Adodb.Stream" is created, but its members cannot be bound through
// its type information (Wine's class asks for a version of the ADODB type
// library that the prefix does not register), and its own ReadText is not
// implemented: a page that goes through the stream reads back empty.
inline constexpr char kStreamUnbound[] =
    "Adodb.Stream gives no type information (TYPE_E_LIBNOTREGISTERED), so none of its members "
    "can be bound, and its ReadText is not implemented";
// The match collection that "VBScript.RegExp" Execute returns, and its match
// and group objects, answer GetTypeInfo with E_NOTIMPL: a search runs, but
// its matches cannot be read through type binding.
inline constexpr char kMatchesUntyped[] =
    "the match collection, match and submatch objects of VBScript.RegExp give no type "
    "information (GetTypeInfo is E_NOTIMPL), so their members cannot be bound";
// WinHttpSetTimeouts' receive time-out does not bound the wait for the
// answer's head: a server that accepts and says nothing holds the request
// until it closes the connection.
inline constexpr char kResponseWaitUnbounded[] =
    "WinHttpSetTimeouts' receive time-out does not bound the wait for the response, so a "
    "silent server holds WinHttpReceiveResponse until it closes the connection";
// WinHTTP does not send a cookie that a redirect's answer set on the hop the
// redirect leads to.
inline constexpr char kRedirectCookieDropped[] =
    "WinHTTP does not send the cookie a redirect's answer set on the hop it leads to";
// WinHTTP takes a response head of any size, where Windows refuses one over
// its 64 KiB limit (WINHTTP_OPTION_MAX_RESPONSE_HEADER_SIZE).
inline constexpr char kHugeHeadAccepted[] =
    "WinHTTP accepts a response head over the documented 64 KiB limit instead of failing "
    "WinHttpReceiveResponse";
// A job object's limit on a process's memory is not enforced, so a program
// cannot be made to run out of memory that way.
inline constexpr char kJobMemoryLimitIgnored[] =
    "a job object's process memory limit is not enforced, so an allocation past it succeeds";
}  // namespace wine

// Whether the program runs under Wine rather than on Windows (always false
// in the Linux build).
bool RunningUnderWine();

// True under Wine, after recording `difference` for the running test: as the
// test property "wine_difference" and as a "[ WINE DIFF ]" line on standard
// output. False (and nothing recorded) anywhere else.
bool KnownWineDifference(const char* difference);

// The exit code a process ended with -1 (the fatal error report) shows its
// parent: the low byte, 255, on Linux; all of it, -1, to a Windows parent,
// Wine included (a Linux shell sees the low byte of a Wine program's code).
int FatalExitCode();

}  // namespace test
