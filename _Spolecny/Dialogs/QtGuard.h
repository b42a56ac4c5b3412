#pragma once
// No exception may leave a Qt slot, event handler or virtual called by Qt. Handlers run
// their work through Guarded(), which reports a failure with the program's exception report
// and lets the event loop go on.

#include <exception>
#include <utility>

// Shows the exception report for the exception being handled; never throws.
void ReportCurrentException() noexcept;

// Queues the exception report for the exception being handled, to be shown once the event
// loop is back at rest (for code that runs while painting, where no box may open).
void ReportCurrentExceptionLater() noexcept;

// Runs `work`; an exception is reported and swallowed. Returns false when one was raised.
template <class Work>
bool Guarded(Work&& work) noexcept
{
    try {
        std::forward<Work>(work)();
        return true;
    } catch (...) {
        ReportCurrentException();
        return false;
    }
}
