// sarnovellite: an offline VST 2 host that runs the click remover over files.
#include <cstdio>
#include <exception>
#include <new>

#include "base/pending_output.h"
#include "base/tool_error.h"
#include "demo/demo_command.h"
#include "jobs/file_jobs.h"
#include "jobs/version_report.h"
#include "options/cli_options.h"
#include "options/help_text.h"

int main(int argc, char** argv) {
    installInterruptCleanup();
    try {
        const CliOptions options = parseCommandLine(argc, argv);
        switch (options.mode) {
            case CliMode::help:
                std::fputs(helpText().c_str(), stdout);
                return 0;
            case CliMode::version:
                std::fputs(sarnovellite::cli::versionReport(options).c_str(), stdout);
                return 0;
            case CliMode::demo:
                return runDemo(options);
            case CliMode::process:
            case CliMode::batch:
                return runFileJobs(options);
        }
    } catch (const ToolError& error) {
        std::fprintf(stderr, "sarnovellite: %s\n", error.what());
        return static_cast<int>(error.status());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "sarnovellite: out of memory\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sarnovellite: %s\n", error.what());
    }
    return static_cast<int>(ExitStatus::processingFailed);
}
