// Host name and time zone names from the C library.
#include "hx/HostEnv.h"

#include <unistd.h>

#include <ctime>

std::string GetHostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return std::string();
  return name;
}

std::string GetTimeZoneDisplayNameA() {
  tzset();
  time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  char text[64] = {};
  strftime(text, sizeof text, "%Z (UTC%z)", &local);
  return text;
}

std::wstring GetTimeZoneDisplayNameW() {
  std::string narrow = GetTimeZoneDisplayNameA();
  return std::wstring(narrow.begin(), narrow.end());
}

std::wstring GetTimeZoneStdNameW() {
  tzset();
  std::string narrow = tzname[0] ? tzname[0] : "";
  return std::wstring(narrow.begin(), narrow.end());
}
