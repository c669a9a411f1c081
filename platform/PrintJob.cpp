#include "platform/PrintJob.h"

#include <thread>

#include <cups/cups.h>

namespace {

// The job's state, or 0 when CUPS no longer knows the job.
int jobState(const char* queue, int id, int which)
{
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue, 1, which);
    int state = 0;
    for (int i = 0; i < count; ++i)
        if (jobs[i].id == id)
            state = jobs[i].state;
    cupsFreeJobs(count, jobs);
    return state;
}

} // namespace

std::string printOnDefault(const std::string& file, const std::string& title,
                           std::chrono::milliseconds limit)
{
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    const cups_dest_t* dest = cupsGetDest(nullptr, nullptr, count, dests);
    if (!dest) {
        cupsFreeDests(count, dests);
        return "There is no default printer.";
    }
    const std::string queue = dest->name;
    const int id = cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.c_str(), file.c_str(), title.c_str(),
                                  dest->num_options, dest->options);
    cupsFreeDests(count, dests);
    if (id == 0)
        return std::string("The printer refused the job: ") + cupsLastErrorString();

    // Spooled is not printed: the job may still fail in its filters or backend.
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (jobState(queue.c_str(), id, CUPS_WHICHJOBS_ACTIVE) != 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return "The printer did not finish the job in time.";
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const int state = jobState(queue.c_str(), id, CUPS_WHICHJOBS_ALL);
    if (state == IPP_JSTATE_CANCELED || state == IPP_JSTATE_ABORTED)
        return "The printer did not print the job.";
    return {};
}
