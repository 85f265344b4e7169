#include "FuzzInput.h"

#include "core/netware/EmulatedNetWareClient.h"
#include "core/netware/PathResolution.h"
#include "core/netware/ScanPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using namespace corvane;

namespace {

// A small emulated network in a folder of its own, made once per process: SRV1 (3.12) with VOL1 on
// F: and SYS, SRV4 (4.11) with DATA on G:, a few folders and files with mixed-case names.
class FuzzNetwork
{
public:
    FuzzNetwork()
    {
        const QDir top(m_folder.path());
        for (const QString& folder :
             {u"vol1/Data/Docs"_s, u"vol1/Data/Old Files"_s, u"sys/PUBLIC"_s, u"data4/Apps"_s})
            top.mkpath(folder);
        for (const QString& file : {u"vol1/Data/Docs/Report.doc"_s, u"vol1/Data/budget.xls"_s,
                                    u"sys/PUBLIC/LOGIN.EXE"_s, u"data4/readme"_s})
            write(file, "data");
        write(u"netware.conf"_s, "[server SRV1]\nversion = 3.12\nvolume VOL1 = vol1\nvolume SYS = sys\n"
                                 "[server SRV4]\nversion = 4.11\nvolume DATA = data4\n"
                                 "[drives]\nF = SRV1/VOL1\nG = SRV4\\DATA\n");
        m_client = std::make_unique<EmulatedNetWareClient>(top.filePath(u"netware.conf"_s));
        fuzzCheck(m_client->NWCallsInit() == NWResult::Success, "the fuzz network loads");
    }

    EmulatedNetWareClient& client() { return *m_client; }
    // A leading "~" stands for the network's folder, so that local paths inside volumes are found.
    QByteArray expanded(const QByteArray& path) const
    {
        return path.startsWith('~') ? QFile::encodeName(m_folder.path()) + path.mid(1) : path;
    }

private:
    void write(const QString& relative, const QByteArray& contents) const
    {
        QFile file(QDir(m_folder.path()).filePath(relative));
        fuzzCheck(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size(),
                  "the fuzz network is written");
    }

    QTemporaryDir m_folder;
    std::unique_ptr<EmulatedNetWareClient> m_client;
};

// As a scan locates a listed file: its folder's path (up to its last separator) parsed once, the
// name after it.
void resolveAsFile(NetWareClient& client, const QByteArray& path)
{
    const qsizetype nameStart = path.lastIndexOf(separatorOf(path)) + 1;
    const std::optional<ScannedFileLocation> file =
        FolderFiles(client, path.left(nameStart)).locate(path.mid(nameStart));
    if (!file)
        return;
    fuzzCheck(!file->server.isEmpty(), "a located file lies on a server");
    const std::unique_ptr<ClientDirectory> directory =
        ClientDirectory::open(client, file->server, file->directory);
    if (directory)
        directory->entryOf(file->file);
}

void resolveAsDirectory(NetWareClient& client, const QByteArray& path)
{
    const std::optional<ScannedDirectoryLocation> directory = locateScannedDirectory(client, path);
    if (directory)
        ClientDirectory::open(client, directory->server, directory->directory);
}

void resolveAsTypedPath(EmulatedNetWareClient& client, const QString& path)
{
    client.configuration().localPath(path);
}

} // namespace

// A path as a user types it or a scan lists it: UNC, drive letter or local, in any bytes. Each
// resolution either finds the place or says there is none.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static FuzzNetwork network;
    const QByteArray input = fuzzBytes(data, size);
    const QByteArray path = network.expanded(input);
    resolveAsFile(network.client(), path);
    resolveAsDirectory(network.client(), path);
    resolveAsTypedPath(network.client(), QFile::decodeName(path));
    return 0;
}
