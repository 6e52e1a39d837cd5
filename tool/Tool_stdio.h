#pragma once

// Standard input and output carry bytes as they are: no line-end
// translation, so that files piped through the tool keep their CR LF and
// binary captures their bytes on every platform.
void tool_binary_stdio();
