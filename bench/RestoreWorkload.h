#pragma once

#include "Stopwatch.h"
#include "restore/records/FileExtentContainerItemRestoredAttributes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The files of one restore and the order their events arrive in: each file's container item,
// then each of its extents in turn. Paths are numbered with leading zeros, so that they arrive
// in key order, as a restore that walks a sorted catalogue sends them.
class CRestoreWorkload
{
public:
    CRestoreWorkload(std::size_t files, std::size_t extents);

    std::size_t Files() const { return m_paths.size(); }
    std::size_t Extents() const { return m_extents; }
    std::size_t ExtentEvents() const { return Files() * m_extents; }
    // "2000 x 16"
    std::string Label() const;

    const std::string& Path(std::size_t file) const { return m_paths[file]; }
    const std::string& RestoredPath(std::size_t file) const { return m_restoredPaths[file]; }
    int TaskId(std::size_t file) const { return static_cast<int>(file % 4); }
    std::uint64_t FileSize() const { return 65536 * static_cast<std::uint64_t>(m_extents); }
    const FILEEXTENT_RESTORE::CFileExtentContainerItemRestoredAttributes& Attributes() const { return m_attributes; }
    // The attributes and post-process action of every file, as the library stores them.
    const std::string& AttributesText() const { return m_attributesText; }
    const std::string& ActionText() const { return m_actionText; }

    template <class Host>
    void Replay(Host& host) const
    {
        for (std::size_t file = 0; file < Files(); ++file)
        {
            host.OnFile(*this, file);
            for (std::size_t extent = 0; extent < m_extents; ++extent)
                host.OnExtent(*this, file, extent);
        }
    }

    // Seconds of a whole run: start (Initialize, open), every event, then the host's Finish, which
    // ends the run as the host would (DeInitialize, close).
    template <class Host, class Start>
    double TimeWholeRun(Host& host, Start start) const
    {
        const CStopwatch watch;
        start();
        Replay(host);
        host.Finish();
        return watch.Seconds();
    }

private:
    std::size_t m_extents;
    std::vector<std::string> m_paths;
    std::vector<std::string> m_restoredPaths;
    FILEEXTENT_RESTORE::CFileExtentContainerItemRestoredAttributes m_attributes;
    std::string m_attributesText;
    std::string m_actionText;
};
