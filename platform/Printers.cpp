#include "platform/Printers.h"

#include <stdexcept>

#include <cups/cups.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

namespace {

// The list of printers as CUPS gives it to this user (the user's own
// lpoptions included), freed when it goes out of scope.
class Destinations {
public:
    Destinations() { m_count = cupsGetDests2(CUPS_HTTP_DEFAULT, &m_dests); }
    ~Destinations() { cupsFreeDests(m_count, m_dests); }
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;

    int count() const { return m_count; }
    cups_dest_t* begin() const { return m_dests; }
    cups_dest_t* end() const { return m_dests + m_count; }
    cups_dest_t* data() const { return m_dests; }

private:
    cups_dest_t* m_dests = nullptr;
    int m_count = 0;
};

// Queue names cannot hold spaces, so a printer is known by its description.
std::string deviceName(const cups_dest_t& dest)
{
    const char* info = cupsGetOption("printer-info", dest.num_options, dest.options);
    return info && *info ? std::string(info) : std::string(dest.name);
}

bool cupsFailed()
{
    return cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE;
}

// Writes the user's own default: `chosen` or, when null, none.
bool writeUserDefault(const Destinations& dests, const cups_dest_t* chosen)
{
    for (cups_dest_t& d : dests)
        d.is_default = &d == chosen;
    return cupsSetDests2(CUPS_HTTP_DEFAULT, dests.count(), dests.data()) == 0;
}

class CupsPrinters final : public Printers {
public:
    std::vector<std::string> installed() override
    {
        const Destinations dests;
        std::vector<std::string> names;
        for (const cups_dest_t& d : dests)
            if (!d.instance)
                names.push_back(deviceName(d));
        return names;
    }

    Default userDefault() override
    {
        const Destinations dests;
        Default result;
        // No scheduler to ask, or no printer at all: the user has no
        // default printer, which is no error.
        const ipp_status_t status = cupsLastError();
        const bool nothingThere = status == IPP_STATUS_ERROR_NOT_FOUND || status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE;
        if (dests.count() == 0 && cupsFailed() && !nothingThere) {
            result.error = static_cast<int>(cupsLastError());
            result.errorText = cupsLastErrorString();
            return result;
        }
        result.read = true;
        if (const cups_dest_t* d = cupsGetDest(nullptr, nullptr, dests.count(), dests.data()))
            result.name = deviceName(*d);
        return result;
    }

    bool makeUserDefault(const std::string& name) override
    {
        const Destinations dests;
        for (const cups_dest_t& d : dests)
            if (!d.instance && deviceName(d) == name)
                return writeUserDefault(dests, &d);
        return false;
    }

    bool clearUserDefault() override
    {
        const Destinations dests;
        if (dests.count() == 0)
            return !cupsFailed();
        return writeUserDefault(dests, nullptr);
    }

    int runToEnd(const QString& commandLine, std::chrono::milliseconds limit) override
    {
        QStringList words = QProcess::splitCommand(commandLine);
        if (words.isEmpty())
            throw std::runtime_error("There is no program to start.");
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        const QString path = words.takeFirst();
        program.start(path, words);
        if (!program.waitForStarted())
            throw std::runtime_error("Cannot start " + path.toStdString() + ": " +
                                     program.errorString().toStdString());
        // The window keeps painting meanwhile, but takes no input: a second
        // export must not start while this one holds the default printer.
        QElapsedTimer clock;
        clock.start();
        while (program.state() != QProcess::NotRunning && !program.waitForFinished(50)) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            if (clock.elapsed() > limit.count()) {
                program.kill();
                program.waitForFinished();
                return -1;
            }
        }
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }
};

Printers* g_installed = nullptr;

} // namespace

Printers& printers()
{
    static CupsPrinters cups;
    return g_installed ? *g_installed : cups;
}

void installPrinters(Printers* p)
{
    g_installed = p;
}
