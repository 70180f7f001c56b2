#pragma once

namespace bl::platform {

// A Qt application takes the user's locale for the whole C library when it starts, so in a
// locale with decimal commas "%lf" would write "1,5" into commands for the controller, program
// files and series files, and read "1.5" typed by the user as 1. Numbers keep the C form
// everywhere; call this right after the application object is made.
void KeepCNumberFormat();

}  // namespace bl::platform
