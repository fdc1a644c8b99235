#pragma once

#include <functional>
#include <string_view>

// Message boxes for the user, captioned with the application title and shown by the current
// system driver; serious selects the warning icon over the information icon. Without a driver,
// or when the host cannot show one, the text goes to standard error, escaped (EscapeForTerminal),
// and the box counts as cancelled.
namespace dm {

// Receives a message meant for the user; serious selects the warning look.
using NotifyHandler = std::function<void(std::string_view text, bool serious)>;

// A message with an OK button. A handler installed with SetNotifyHandler takes it instead.
void Notify(std::string_view text, bool serious);

// Replaces the way Notify shows messages; an empty handler gives them back to the message box.
void SetNotifyHandler(NotifyHandler handler);

// OK and Cancel: 1 for OK, 0 otherwise.
int Confirm(std::string_view text, bool serious);

// Yes, No and Cancel: 1 for Yes, 0 for No, -1 for Cancel or a box closed without an answer.
int Proceed(std::string_view text, bool serious);

} // namespace dm
