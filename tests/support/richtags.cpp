#include "support/richtags.h"

#include <sstream>
#include <stdexcept>

#include "support/testfiles.h"

namespace sonvara::test {

std::string Python(const std::string& script) {
    const CommandResult r = RunCommand("/usr/bin/python3 -c " + ShellQuote(script));
    if (r.exitCode != 0) {
        throw std::runtime_error("python3 failed: " + r.err);
    }
    return r.out;
}

void MakeRichTaggedMp3(const std::string& source, const std::string& target, int version) {
    Python(R"(import shutil
from mutagen.id3 import (ID3, TIT2, TPE1, TALB, TRCK, TYER, TCON, TSIZ, TLEN, RVAD, RVA2, TXXX,
                         COMM, USLT, APIC)
src, dst, ver = )" +
           ("'" + source + "', '" + target + "', " + std::to_string(version)) + R"(
shutil.copy(src, dst)
t = ID3()
enc = 1 if ver == 3 else 3
t.add(TIT2(encoding=enc, text='Old title'))
t.add(TPE1(encoding=enc, text=['First Artist', 'Second Artist']))
t.add(TALB(encoding=enc, text='Old album'))
t.add(TRCK(encoding=0, text='3/12'))
t.add(TYER(encoding=0, text='1999') if ver == 3 else TCON(encoding=0, text='Rock'))
t.add(TSIZ(encoding=0, text='123456'))
t.add(TLEN(encoding=0, text='1000'))
t.add(RVAD(adjustments=[1000, 1200, 0, 0]))
t.add(RVA2(desc='track', channel=1, gain=-6.5, peak=0.9))
t.add(TXXX(encoding=enc, desc='REPLAYGAIN_TRACK_GAIN', text='-6.50 dB'))
t.add(TXXX(encoding=enc, desc='MOOD', text='calm'))
t.add(COMM(encoding=enc, lang='eng', desc='', text='a comment'))
t.add(USLT(encoding=enc, lang='eng', desc='', text='some lyrics'))
t.add(APIC(encoding=0, mime='image/png', type=3, desc='', data=bytes(range(256)) * 4))
t.save(dst, v2_version=ver, v1=2)
)");
}

std::vector<std::string> Id3Frames(const std::string& path) {
    const std::string out = Python(R"(import sys
d = open(')" + path + R"(', 'rb').read()
if d[:3] != b'ID3':
    print('none'); sys.exit(0)
v = d[3]
ss = lambda s: s[0] << 21 | s[1] << 14 | s[2] << 7 | s[3]
body = d[10:10 + ss(d[6:10])]
i = 0
print('v2.%d' % v)
while i + 10 <= len(body) and body[i] != 0:
    s = body[i + 4:i + 8]
    n = int.from_bytes(s, 'big') if v == 3 else ss(s)
    print(body[i:i + 4].decode(), body[i:i + 10 + n].hex())
    i += 10 + n
)");
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace sonvara::test
