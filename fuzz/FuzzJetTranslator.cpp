#include "FuzzInput.h"

#include "core/db/JetTranslator.h"

#include <QString>

using namespace corvane;

// Whatever a user types into the query window: the translator answers with SQL or with an error,
// and never crashes, hangs or returns both or neither.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const JetTranslation translation = translateJet(QString::fromUtf8(fuzzBytes(data, size)));
    if (translation.ok())
        fuzzCheck(!translation.sql.isEmpty() && translation.errorDescription.isEmpty(),
                  "a translation holds a statement and no error");
    else
        fuzzCheck(!translation.errorDescription.isEmpty(), "a failed translation says why");
    return 0;
}
