#pragma once

#include "cli/CliSupport.h"

namespace tovallo::cli {

// Each adds its area's subcommands to the program's command line.
void AddWorkspaceCommands(CLI::App& app, Output& out); // models, find, links, text
void AddImageCommands(CLI::App& app, Output& out);     // images ...
void AddS3Commands(CLI::App& app, Output& out);        // s3 from-bin, s3 to-bin
void AddPatchCommands(CLI::App& app, Output& out);     // patch, apply
void AddMediaCommands(CLI::App& app, Output& out);     // sounds ..., java ...
void AddPhoneCommands(CLI::App& app, Output& out);     // phone ..., phone-sim
void AddStringCommands(CLI::App& app, Output& out);    // strings ..., free ...
void AddSurveyCommands(CLI::App& app, Output& out);    // find-any, survey, anim save

} // namespace tovallo::cli
