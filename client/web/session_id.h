// Session identifiers: 128 random bits from the kernel (getrandom), written as 32 hex
// digits, carried in an HttpOnly, SameSite=Strict cookie. An identifier that is not of
// this exact shape is never looked up.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tb::web {

inline constexpr std::string_view kSessionCookie = "tbsession";

// A fresh identifier. Returns nullopt only when the kernel cannot supply randomness.
std::optional<std::string> NewSessionId();

// True for 32 lower-case hex digits.
bool IsWellFormedSessionId(std::string_view id);

// The value of cookie `name` in a Cookie header ("a=1; tbsession=..."), or empty.
std::string CookieValue(std::string_view cookieHeader, std::string_view name);

// The Set-Cookie header value that hands `id` to the browser.
std::string SessionCookieHeader(std::string_view id);

}  // namespace tb::web
