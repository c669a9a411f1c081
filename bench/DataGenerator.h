#pragma once

#include <cstdint>
#include <random>
#include <string>

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
