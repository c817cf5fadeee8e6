#include "http_url.h"

#include <gtest/gtest.h>

#include "http_cookies.h"
#include "http_proxy.h"

namespace {

using platform::net::HttpUrl;

HttpUrl Base() {
  return HttpUrl{false, "quotes.test", 8080, "/dir/page?old=1"};
}

TEST(HttpUrlTest, LocationsResolveAgainstTheCurrentUrl) {
  std::pair<const char*, const char*> cases[] = {
      {"next", "http://quotes.test:8080/dir/next"},
      {"../up?x=1#frag", "http://quotes.test:8080/up?x=1"},
      {"?q=2", "http://quotes.test:8080/dir/page?q=2"},
      {"/a/./b/../c d", "http://quotes.test:8080/a/c%20d"},
      {"//other.test/p", "http://other.test:80/p"},
      {" HTTPS://secure.test ", "https://secure.test:443/"},
      {"", "http://quotes.test:8080/dir/page?old=1"},
  };
  for (const auto& [location, expected] : cases) {
    HttpUrl next;
    ASSERT_TRUE(platform::net::ResolveLocation(Base(), location, &next)) << location;
    EXPECT_EQ(next.Text(), expected) << location;
  }
  HttpUrl next;
  EXPECT_FALSE(platform::net::ResolveLocation(Base(), "ftp://files.test/x", &next));
  EXPECT_FALSE(platform::net::ResolveLocation(Base(), "http://user:pw@evil.test/", &next));
}

TEST(HttpUrlTest, CookiesGoWhereTheirDomainPathAndSchemeAllow) {
  platform::net::CookieJar jar;
  HttpUrl site{false, "www.quotes.test", 80, "/a/b"};
  jar.Store(site, "plain=1");
  jar.Store(site, "wide=2; Domain=.quotes.test; Path=/");
  jar.Store(site, "safe=3; Secure; path=/");
  jar.Store(site, "foreign=4; Domain=other.test");
  jar.Store(site, "plain=5");  // replaces
  // A bare top-level domain would hand the cookie to every site under it.
  jar.Store(site, "tld=6; Domain=test; Path=/");
  jar.Store(site, "tld=7; Domain=.TEST; Path=/");
  EXPECT_EQ(jar.CookieLineFor(site), "plain=5; wide=2");
  EXPECT_EQ(jar.CookieLineFor({false, "elsewhere.test", 80, "/"}), "");
  // A host of one label may still name itself.
  HttpUrl local{false, "localhost", 80, "/"};
  jar.Store(local, "own=8; Domain=localhost");
  EXPECT_EQ(jar.CookieLineFor(local), "own=8");
  EXPECT_EQ(jar.CookieLineFor({true, "quotes.test", 443, "/"}), "wide=2");
  EXPECT_EQ(jar.CookieLineFor({true, "www.quotes.test", 443, "/a/x"}), "plain=5; wide=2; safe=3");
  EXPECT_EQ(jar.CookieLineFor({false, "www.quotes.test", 80, "/ab"}), "wide=2");
  jar.Store(site, "wide=; Domain=quotes.test; Path=/; Expires=Thu, 01 Jan 1970 00:00:00 GMT");
  EXPECT_EQ(jar.CookieLineFor(site), "plain=5");
}

TEST(HttpUrlTest, ProxyEntriesServeTheirSchemeUnlessBypassed) {
  auto list =
      platform::net::ProxyList::Parse("https=s:443; http://p:8080", "<local> *.inside.test");
  EXPECT_EQ(list.For({false, "quotes.test", 80, "/"}), "p:8080");
  EXPECT_EQ(list.For({true, "quotes.test", 443, "/"}), "s:443");
  EXPECT_EQ(list.For({false, "intranet", 80, "/"}), "");
  EXPECT_EQ(list.For({false, "a.INSIDE.test", 80, "/"}), "");
  auto http_only = platform::net::ProxyList::Parse("http=p:8080", "");
  EXPECT_EQ(http_only.For({true, "quotes.test", 443, "/"}), "");
}

}  // namespace
