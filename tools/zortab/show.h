// `zortab show`: the tabs and trees that the control shows for an input. The records go
// through the control facade as a page's values do (the CL0 put), the facade is attached
// to the simulated views, and each tab's tree is rebuilt and read back from the view.
#pragma once

#include <ostream>
#include <string>

#include "tools/zortab/checker.h"
#include "tools/zortab/page_input.h"

namespace zortab {

void WriteShow(std::ostream& out, const std::string& file, const Input& input,
               const CheckOptions& options);

}  // namespace zortab
