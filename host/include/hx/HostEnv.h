// Facts about the machine the host runs on: its name and its time zone names.
#pragma once

#include <string>

std::string GetHostName();
std::string GetTimeZoneDisplayNameA();
std::wstring GetTimeZoneDisplayNameW();
std::wstring GetTimeZoneStdNameW();
