#include "audio/audiofile.h"

#include "platform/fileinfo.h"

namespace sonvara {

bool CAudioFile::IsReadOnly() const {
    return IsReadOnlyPath(m_FileName);
}

bool CAudioFile::IsValid() {
    // One open per change of name; until the name changes again the verdict is remembered.
    if (!m_Changed) {
        return m_Valid;
    }
    m_Valid = Open(OPEN_PARSE);
    if (HasFormat()) {
        m_Valid = false;
    }
    m_Changed = false;
    return m_Valid;
}

void CAudioFile::SetFileName(const std::string& fileName) {
    m_FileName = fileName;
    m_Changed = true;
    m_Valid = false;
}

void CAudioFile::Seek(std::int32_t /*milliseconds*/) {}

}  // namespace sonvara
