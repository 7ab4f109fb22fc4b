#include "filters/FilterDescription.h"

#include "common/FilterMatrixInfo.h"

#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace vq {

namespace {

std::string Millimetres(double metres)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", metres * 1000.0);
    return text;
}

bool IsDigits(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// YYYY-MM-DD with a month and a day that exist in some year.
bool IsDate(const std::string& text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !IsDigits(text.substr(0, 4)) ||
        !IsDigits(text.substr(5, 2)) || !IsDigits(text.substr(8, 2)))
        return false;
    const int month = std::atoi(text.substr(5, 2).c_str());
    const int day = std::atoi(text.substr(8, 2).c_str());
    const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month >= 1 && month <= 12 && day >= 1 && day <= days[month - 1];
}

std::string UtcDay(std::time_t seconds)
{
    std::tm day{};
    char text[16] = "";
    if (gmtime_r(&seconds, &day))
        std::strftime(text, sizeof text, "%Y-%m-%d", &day);
    return text;
}

}  // namespace

SoundFileStrings DescribeFilterSet(const DesignDescription& description, const FilterSet& set)
{
    const ArrayGeometry& g = description.geometry;
    std::string title = description.design + ": " + Millimetres(g.radius) + " mm " + PatternName(g.pattern);
    if (g.capsules != CapsuleSet::FluFrdBldBru)
        title += ", capsules " + CapsuleSetName(g.capsules);
    if (g.mounting != Mounting::Upright)
        title += ", " + MountingName(g.mounting);
    title += ", " + std::to_string(set.taps) + " taps, delay " + std::to_string(set.syncDelay) + " frames, designed " +
             description.date;

    const std::pair<const char*, std::string> fields[] = {
        {"design", description.design},
        {"radius_mm", Millimetres(g.radius)},
        {"pattern", PatternName(g.pattern)},
        {"capsules", CapsuleSetName(g.capsules)},
        {"orientation", MountingName(g.mounting)},
        {"rate", std::to_string(set.rate)},
        {"taps", std::to_string(set.taps)},
        {kFilterDelayKey, std::to_string(set.syncDelay)},
        {"date", description.date},
    };
    std::string lines;
    for (const auto& [key, value] : fields)
        lines += std::string(key) + "=" + value + "\n";
    return {{SF_STR_TITLE, title}, {SF_STR_COMMENT, lines}};
}

bool DesignDate(const std::string& given, std::string* date, std::string* problem)
{
    if (!given.empty()) {
        if (!IsDate(given)) {
            *problem = "--date takes a day as YYYY-MM-DD, not '" + given + "'";
            return false;
        }
        *date = given;
        return true;
    }
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        if (!IsDigits(epoch) || std::string(epoch).size() > 12) {
            *problem = std::string("SOURCE_DATE_EPOCH is not a number of seconds: '") + epoch + "'";
            return false;
        }
        *date = UtcDay(static_cast<std::time_t>(std::atoll(epoch)));
        return true;
    }
    *date = UtcDay(std::time(nullptr));
    return true;
}

}  // namespace vq
