// Named document properties of a compound file: the summary information,
// the document summary information and the user-defined properties, asked
// for in that order.
#ifndef PELUND_DRAWING_DOCUMENT_PROPERTIES_H
#define PELUND_DRAWING_DOCUMENT_PROPERTIES_H

#include <functional>
#include <string>
#include <string_view>

#include "platform/compound_file.h"

namespace pelund {

// Looks NAME up and stores its text in *TEXT; false when no set has it.
// Lines for the caller's diagnostics go to REPORT.
bool findDocumentProperty(const CompoundFile& file, std::string_view name, std::string* text,
                          const std::function<void(const std::string&)>& report);

// Every property of the three sets that the file has: set ("summary",
// "document" or "user-defined"), name and text, in the order of the sets.
void forEachDocumentProperty(const CompoundFile& file,
                             const std::function<void(const char* set, const std::string& name,
                                                      const std::string& text)>& visit);

}  // namespace pelund

#endif
