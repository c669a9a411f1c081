#include <cstdio>
#include <string>
#include <string_view>

#include "store/JsonText.h"
#include "store/profile/ColumnProfile.h"
#include "store/table/TextFold.h"

namespace {

std::string jsonNumber(double x)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", x);
    const std::string_view written(text);
    // JSON has no infinity: a number beyond a double's range ("1e999").
    if (written.find_first_of("in") != std::string_view::npos)
        return "null";
    return text;
}

std::string count(std::int64_t n) { return std::to_string(n); }

} // namespace

std::string profileJson(const std::vector<ColumnProfile>& profiles, const std::vector<std::string>& headings)
{
    static const char* const orders[] = {"none", "iso", "day/month/year", "month/day/year", "ambiguous"};
    std::string out = "[";
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        const ColumnProfile& p = profiles[i];
        const std::string heading = p.field >= 1 && static_cast<std::size_t>(p.field) <= headings.size()
                                        ? headings[static_cast<std::size_t>(p.field - 1)]
                                        : std::string();
        out += i ? ",\n  {" : "\n  {";
        out += "\"column\": " + jsonString(heading) + ", \"field\": " + std::to_string(p.field);
        out += ", \"values\": " + count(p.values) + ", \"empty\": " + count(p.empty) + ", \"distinct\": " + count(p.distinct);
        out += ",\n   \"types\": {";
        const char* comma = "";
        for (int t = 0; t < ColumnProfile::TypeCount; ++t)
            if (p.typeCounts[t] > 0) {
                out += comma + jsonString(typeName(ColumnProfile::Type(t))) + ": " + count(p.typeCounts[t]);
                comma = ", ";
            }
        out += "}, \"dateOrder\": " + jsonString(orders[int(p.dateOrder)]) + ", \"decimalCommas\": " + count(p.decimalCommas);
        if (p.minimum)
            out += ",\n   \"minimum\": " + jsonNumber(*p.minimum) + ", \"maximum\": " + jsonNumber(*p.maximum)
                + ", \"mean\": " + jsonNumber(*p.mean) + ", \"median\": " + jsonNumber(*p.median);
        if (p.earliest)
            out += ",\n   \"earliest\": " + jsonString(*p.earliest) + ", \"latest\": " + jsonString(*p.latest);
        if (!p.histogram.empty()) {
            out += ",\n   \"histogram\": {\"low\": " + jsonNumber(p.histogramLow) + ", \"high\": "
                + jsonNumber(p.histogramHigh) + ", \"bins\": [";
            for (std::size_t b = 0; b < p.histogram.size(); ++b)
                out += (b ? ", " : "") + count(p.histogram[b]);
            out += "]}";
        }
        out += ",\n   \"shortest\": " + jsonString(p.shortest) + ", \"longest\": " + jsonString(p.longest);
        out += ",\n   \"edgeSpaces\": " + count(p.edgeSpaces) + ", \"doubledSpaces\": " + count(p.doubledSpaces)
            + ", \"unprintable\": " + count(p.unprintable) + ", \"caseVariants\": " + count(p.caseVariants)
            + ", \"notUtf8\": " + count(p.notUtf8);
        out += ",\n   \"top\": [";
        for (std::size_t j = 0; j < p.top.size(); ++j) {
            bool exact = true;
            out += (j ? ",\n     {\"value\": " : "\n     {\"value\": ") + jsonString(p.top[j].first, exact);
            if (!exact)
                out += ", \"bytes\": \"" + hexOf(p.top[j].first) + "\"";
            out += ", \"count\": " + count(p.top[j].second) + "}";
        }
        out += "]}";
    }
    return out + (profiles.empty() ? "]\n" : "\n]\n");
}
