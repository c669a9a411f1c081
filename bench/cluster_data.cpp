// Writes the bench file of the clustering: the people file of DataGenerator.h
// with a Company column of DISTINCT distinct names, a tenth of them dirty
// variants of the others (case, spaces, accents, punctuation, a one-letter
// typo), as the exports of several systems put together have them. Not part
// of the program.
//
//   cluster_data ROWS DISTINCT FILE
//
// Prints the bytes of the Company column's values, the figure the clustering's
// extra memory is measured against.
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "bench/DataGenerator.h"

namespace {

std::string cleanName(std::mt19937& rng)
{
    static const char* first[] = {"Nord", "Sued", "Ost", "West", "Berg", "Tal", "Stadt", "Land", "Rhein", "Elb",
                                  "Main", "Hansa", "Alpen", "Wald", "See", "Fluss", "Markt", "Hafen", "Burg", "Feld"};
    static const char* middle[] = {"bau", "tech", "werk", "handel", "logistik", "energie", "daten", "metall", "glas",
                                   "holz", "textil", "chemie", "optik", "druck", "medien", "plan", "service", "transport"};
    static const char* kind[] = {"GmbH", "AG", "KG", "Gruppe", "und Partner", "Holding", "Werke", "Systeme"};
    std::string name = first[rng() % 20];
    name += middle[rng() % 18];
    name += ' ';
    name += std::to_string(rng() % 1000);
    name += ' ';
    name += kind[rng() % 8];
    return name;
}

std::string dirtyVariant(const std::string& clean, std::mt19937& rng)
{
    std::string v = clean;
    switch (rng() % 5) {
    case 0: // case
        for (char& c : v)
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        break;
    case 1: // spaces
        v.insert(v.find(' '), " ");
        break;
    case 2: { // an accent
        const std::size_t at = v.find_first_of("aou");
        if (at != std::string::npos)
            v.replace(at, 1, v[at] == 'a' ? "\xC3\xA4" : v[at] == 'o' ? "\xC3\xB6" : "\xC3\xBC");
        else
            v += '.';
        break;
    }
    case 3: // punctuation
        v.insert(v.rfind(' '), ",");
        break;
    default: { // a one-letter typo
        const std::size_t at = 1 + rng() % (v.size() - 2);
        v[at] = v[at] == 'x' ? 'y' : 'x';
        break;
    }
    }
    return v;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: cluster_data ROWS DISTINCT FILE\n");
        return 2;
    }
    const int rows = std::stoi(argv[1]);
    const int distinct = std::stoi(argv[2]);
    std::mt19937 rng(11);
    std::unordered_set<std::string> seen;
    std::vector<std::string> names;
    while (static_cast<int>(names.size()) < distinct - distinct / 10) {
        std::string name = cleanName(rng);
        if (seen.insert(name).second)
            names.push_back(std::move(name));
    }
    const std::size_t clean = names.size();
    while (static_cast<int>(names.size()) < distinct) {
        std::string variant = dirtyVariant(names[rng() % clean], rng);
        if (seen.insert(variant).second)
            names.push_back(std::move(variant));
    }
    const std::string people = makePeopleCsv(rows);
    std::ofstream out(argv[3], std::ios::binary);
    std::size_t at = people.find("\r\n");
    out << people.substr(0, at) << ",Company\r\n";
    std::size_t columnBytes = 0;
    for (int r = 0; at + 2 < people.size(); ++r) {
        const std::size_t end = people.find("\r\n", at + 2);
        // Every name once; the rest of the rows mostly the clean ones.
        const std::string& name = r < distinct ? names[static_cast<std::size_t>(r)] : names[rng() % clean];
        out << people.substr(at + 2, end - at - 2) << ',' << name << "\r\n";
        columnBytes += name.size();
        at = end;
    }
    std::printf("%zu\n", columnBytes);
    return out ? 0 : 1;
}
