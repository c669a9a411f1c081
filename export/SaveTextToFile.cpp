#include "export/SaveTextToFile.h"

#include "store/save/AtomicFileWriter.h"

void SaveTextToFile(std::string_view text, const std::string& path)
{
    AtomicFileWriter file(path);
    if (!file.open() || !file.write(text) || !file.write("\r\n") || !file.commit())
        throw ExportError(file.error());
}
