#include "import/date_text.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace tessaline {

namespace {

using namespace std::chrono;

constexpr sys_days serial_epoch = sys_days{year{1899} / December / 30};
constexpr double last_serial = 2958466; // 10000-01-01

bool read_int(std::string_view& text, std::size_t digits, int& value) {
    if (text.size() < digits) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + digits, value);
    if (ec != std::errc{} || end != text.data() + digits) return false;
    text.remove_prefix(digits);
    return true;
}

bool skip(std::string_view& text, char c) {
    if (text.empty() || text.front() != c) return false;
    text.remove_prefix(1);
    return true;
}

// HH:MM[:SS[.fff]] as a fraction of a day.
std::optional<double> read_time(std::string_view text) {
    int h = 0, m = 0, s = 0;
    if (!read_int(text, 2, h) || !skip(text, ':') || !read_int(text, 2, m)) return std::nullopt;
    double fraction = 0;
    if (skip(text, ':')) {
        if (!read_int(text, 2, s)) return std::nullopt;
        if (skip(text, '.')) {
            double scale = 0.1;
            while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
                fraction += (text.front() - '0') * scale;
                scale /= 10;
                text.remove_prefix(1);
            }
        }
    }
    if (!text.empty() && text != "Z") return std::nullopt;
    if (h > 24 || m > 59 || s > 60) return std::nullopt;
    return (h * 3600.0 + m * 60.0 + s + fraction) / 86400.0;
}

} // namespace

std::string date_text(double serial) {
    if (!(serial >= 0 && serial < last_serial)) return {};
    double whole = std::floor(serial);
    auto days = static_cast<long>(whole);
    auto seconds = static_cast<long>(std::lround((serial - whole) * 86400.0));
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    char time[64];
    std::snprintf(time, sizeof time, "%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    if (days == 0) return time;

    int y = 1900, mo = 2, d = 29; // the 1900 system's day 60 that never was
    if (days != 60) {
        // Days before the fictitious leap day are shifted by one.
        year_month_day date{serial_epoch + sys_days::duration{days < 60 ? days + 1 : days}};
        y = static_cast<int>(date.year());
        mo = static_cast<int>(static_cast<unsigned>(date.month()));
        d = static_cast<int>(static_cast<unsigned>(date.day()));
    }
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, mo, d);
    std::string result = text;
    if (seconds != 0) result += std::string(" ") + time;
    return result;
}

std::optional<double> date_serial(std::string_view text) {
    if (text.size() >= 3 && text[2] == ':') return read_time(text);
    int y = 0, m = 0, d = 0;
    if (!read_int(text, 4, y) || !skip(text, '-') || !read_int(text, 2, m) || !skip(text, '-') ||
        !read_int(text, 2, d))
        return std::nullopt;
    year_month_day date{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
    double serial = 0;
    if (y == 1900 && m == 2 && d == 29)
        serial = 60;
    else if (!date.ok())
        return std::nullopt;
    else {
        serial = static_cast<double>((sys_days{date} - serial_epoch).count());
        if (serial < 61) serial -= 1;
    }
    if (serial < 0 || serial >= last_serial) return std::nullopt;
    if (text.empty()) return serial;
    if (text.front() != 'T' && text.front() != ' ') return std::nullopt;
    auto time = read_time(text.substr(1));
    if (!time) return std::nullopt;
    return serial + *time;
}

std::optional<double> duration_serial(std::string_view text) {
    if (!skip(text, 'P')) return std::nullopt;
    double days = 0;
    bool in_time = false, any = false;
    while (!text.empty()) {
        if (skip(text, 'T')) {
            in_time = true;
            continue;
        }
        double value = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc{} || end == text.data() + text.size()) return std::nullopt;
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
        char unit = text.front();
        text.remove_prefix(1);
        any = true;
        if (!in_time && unit == 'D')
            days += value;
        else if (in_time && unit == 'H')
            days += value / 24;
        else if (in_time && unit == 'M')
            days += value / 1440;
        else if (in_time && unit == 'S')
            days += value / 86400;
        else
            return std::nullopt;
    }
    if (!any || !(days >= 0 && days < last_serial)) return std::nullopt;
    return days;
}

} // namespace tessaline
