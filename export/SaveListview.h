#pragma once

#include <string>

class GridText;

// The grid as text files: each writer builds the whole file in memory and
// writes it in one go with SaveTextToFile, which throws ExportError.
void SaveListviewToHTML(const GridText& grid, const std::string& path);
void SaveListviewToCSV(const GridText& grid, const std::string& path);
void SaveListviewToTXT(const GridText& grid, const std::string& path);
void SaveListviewToXML(const GridText& grid, const std::string& path);

// The texts the writers write, before SaveTextToFile adds its line end.
std::string htmlText(const GridText& grid);
std::string csvText(const GridText& grid);
std::string tabText(const GridText& grid);
std::string xmlText(const GridText& grid);
