#include "RestoreWorkload.h"

#include "LibraryCheck.h"
#include "restore/records/FileExtentRestoredItemPostProcessAction.h"

#include <cstdio>

using namespace FILEEXTENT_RESTORE;

CRestoreWorkload::CRestoreWorkload(std::size_t files, std::size_t extents) : m_extents(extents)
{
    m_paths.reserve(files);
    m_restoredPaths.reserve(files);
    for (std::size_t file = 0; file < files; ++file)
    {
        char path[96];
        std::snprintf(path, sizeof(path), "/data/projects/dir%04zu/file%07zu.bin", file / 256, file);
        m_paths.push_back(path);
        m_restoredPaths.push_back(std::string("/restore/target") + path);
    }
    m_attributes.Value1 = FileSize();
    m_attributes.Value2 = 133000000000000000ULL;
    m_attributes.Value3 = 133000000010000000ULL;
    m_attributes.Value4 = 32;
    CheckLibrary(m_attributes.SerializeToString(m_attributesText), "attributes");
    CheckLibrary(CFileExtentRestoredItemPostProcessAction().SerializeToString(m_actionText), "post-process action");
}

std::string CRestoreWorkload::Label() const
{
    return std::to_string(Files()) + " x " + std::to_string(m_extents);
}
