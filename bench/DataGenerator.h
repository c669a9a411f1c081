#pragma once

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <utility>

// A people-like CSV file of `rows` records and eight fields, CRLF line ends,
// with about one record in seven repeating an earlier one in full, so that
// duplicate removal and sorting have realistic work to do.
inline std::string makePeopleCsv(int rows, std::uint32_t seed = 7)
{
    static const char* first[] = {"Anna", "Bernd", "Carla", "Dieter", "Emma", "Finn", "Greta", "Hans",
                                  "Ida", "Jonas", "Klara", "Lukas", "Mia", "Noah", "Olga", "Paul"};
    static const char* city[] = {"Aachen", "Berlin", "Chemnitz", "Dresden", "Essen", "Fulda",
                                 "Görlitz", "Hamburg", "Jena", "Kiel", "Leipzig", "München"};
    std::mt19937 rng(seed);
    std::string out = "Id,First,Last,City,Zip,Phone,Email,Notes\r\n";
    out.reserve(static_cast<std::size_t>(rows) * 90);
    std::string previous;
    for (int i = 1; i <= rows; ++i) {
        if (!previous.empty() && rng() % 7 == 0) {
            out += previous;
            continue;
        }
        const unsigned n = rng();
        std::string line = std::to_string(n % 900000 + 100000);
        line += ',';
        line += first[n % 16];
        line += ",Surname";
        line += std::to_string(rng() % 5000);
        line += ',';
        line += city[rng() % 12];
        line += ',';
        line += std::to_string(10000 + rng() % 89999);
        line += ",+49 30 ";
        line += std::to_string(1000000 + rng() % 8999999);
        line += ",person";
        line += std::to_string(i);
        line += "@example.com,";
        line += (rng() % 3 == 0) ? "regular customer since 2019" : "new";
        line += "\r\n";
        out += line;
        previous = std::move(line);
    }
    return out;
}

// Two versions of a people-like file of `rows` records with unique ids, for
// comparing: in the newer one about one row in a hundred is changed, removed
// or added (a third each), the rest as they were. CRLF line ends.
inline std::pair<std::string, std::string> makeVersionsCsv(int rows, std::uint32_t seed = 17)
{
    static const char* city[] = {"Aachen", "Berlin", "Chemnitz", "Dresden", "Essen", "Fulda"};
    std::mt19937 rng(seed);
    const std::string heading = "id,first,last,city,zip,email,notes\r\n";
    std::string older = heading, newer = heading;
    older.reserve(static_cast<std::size_t>(rows) * 80);
    newer.reserve(static_cast<std::size_t>(rows) * 80);
    const auto line = [&rng](long id, const char* notes) {
        const unsigned n = rng();
        return std::to_string(id) + ",Name" + std::to_string(n % 997) + ",Surname" + std::to_string(n % 5003) + ','
            + city[rng() % 6] + ',' + std::to_string(10000 + rng() % 89999) + ",person" + std::to_string(id)
            + "@example.com," + notes + "\r\n";
    };
    long added = rows;
    for (int i = 1; i <= rows; ++i) {
        const std::string row = line(i, "new");
        older += row;
        switch (rng() % 300) {
        case 0: newer += line(i, "changed"); break; // the same id, other values
        case 1: break;                              // removed
        case 2: newer += row + line(++added, "added"); break;
        default: newer += row;
        }
    }
    return {older, newer};
}

// An orders-like CSV file of `rows` records for the typed sort and the
// pattern replace: amounts with a sign and decimals (many ties), ISO dates,
// "item12"-style codes, and cities among which "Buenos Aires" is one.
inline std::string makeOrdersCsv(int rows, std::uint32_t seed = 11)
{
    static const char* last[] = {"Alvarez", "Brandt", "Costa", "Dumont", "Eriksen", "Fischer", "García", "Horvat",
                                 "Ito", "Jansen", "Kowalski", "Lindqvist", "Moreau", "Nakamura", "Olsen", "Petrov"};
    static const char* city[] = {"Buenos Aires", "Lisbon", "Oslo", "Buenos Aires", "Quito", "Porto", "Lima", "Cusco"};
    std::mt19937 rng(seed);
    std::string out = "id,first_name,last_name,city,notes,amount,date,item\r\n";
    out.reserve(static_cast<std::size_t>(rows) * 80);
    for (int i = 1; i <= rows; ++i) {
        out += std::to_string(i);
        out += ",Name";
        out += std::to_string(rng() % 900);
        out += ',';
        out += last[rng() % 16];
        out += std::to_string(rng() % 50);
        out += ',';
        out += city[rng() % 8];
        out += (rng() % 4 == 0) ? ",paid by card," : ",,";
        const unsigned cents = rng() % 2000000;
        if (rng() % 10 == 0)
            out += '-';
        out += std::to_string(cents / 100);
        out += '.';
        out += char('0' + cents / 10 % 10);
        out += char('0' + cents % 10);
        out += ',';
        char date[16];
        std::snprintf(date, sizeof date, "%04u-%02u-%02u", unsigned(2000 + rng() % 26), unsigned(1 + rng() % 12), unsigned(1 + rng() % 28));
        out += date;
        out += ",item";
        out += std::to_string(rng() % 200000);
        out += "\r\n";
    }
    return out;
}

// A price list for the orders' item codes: item0 to item(rows - 1), each
// once, so that a join of the orders on `item` finds some codes and not
// others.
inline std::string makeLookupCsv(int rows, std::uint32_t seed = 13)
{
    static const char* supplier[] = {"Acme", "Borealis", "Cobalt", "Delta & Sons", "Ekko"};
    std::mt19937 rng(seed);
    std::string out = "item,price,supplier\r\n";
    for (int i = 0; i < rows; ++i) {
        const unsigned cents = rng() % 100000;
        out += "item" + std::to_string(i) + ',' + std::to_string(cents / 100) + '.' + char('0' + cents / 10 % 10)
               + char('0' + cents % 10) + ',' + supplier[rng() % 5] + "\r\n";
    }
    return out;
}
