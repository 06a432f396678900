#pragma once

#include <cstdint>
#include <string>

#include "net/NetHeaderList.h"
#include "net/NetHttpDate.h"

namespace zerka {

// The values of an HTTP message's header lines: one instance describes the request to send,
// another the last answer received.
class TNetHeaderInfo {
 public:
  std::string Accept = "text/html, */*";
  std::string AcceptCharSet;
  std::string AcceptEncoding;
  std::string AcceptLanguage;
  std::string From;
  std::string Referer;
  std::string UserAgent = "Mozilla/3.0 (compatible; Zerka2 Remote)";
  std::string Connection;
  std::string ContentVersion;
  std::string ContentEncoding;
  std::string ContentLanguage;
  std::string ContentType;
  std::int32_t ContentLength = 0;
  std::int64_t ContentRangeStart = 0;
  std::int64_t ContentRangeEnd = 0;
  std::string Username;
  std::string Password;
  std::string ProxyServer;
  std::string ProxyUsername;
  std::string ProxyPassword;
  int ProxyPort = 0;
  std::string Location;
  std::string Server;
  std::string WWWAuthenticate;
  std::string ProxyAuthenticate;
  TDateTime Date = 0;
  TDateTime LastModified = 0;
  TDateTime Expires = 0;
  TNetHeaderList ExtraHeaders;
};

}  // namespace zerka
