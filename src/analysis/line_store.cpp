// SPDX-License-Identifier: MIT
#include "analysis/line_store.h"

#include "analysis/tile_decoder.h"
#include "common/error.h"
#include "platform/platform.h"

namespace gantrel {

LineStore::LineStore(std::u16string text)
{
    setText(std::move(text));
}

void LineStore::clear()
{
    setText({});
}

void LineStore::setText(std::u16string text)
{
    m_pendingTile.clear();
    m_file.clear();
    m_pending = false;
    m_text = std::move(text);
    indexLines();
}

void LineStore::loadTile(const std::string& path)
{
    std::vector<char> file;
    readTileFile(path, file);
    assignFile(file);
}

void LineStore::assignFile(std::vector<char>& file)
{
    m_pendingTile.clear();
    std::swap(m_file, file);
    m_pending = true;
}

void LineStore::assignTile(const std::string& path)
{
    m_pendingTile = path;
    m_file.clear();
    m_pending = true;
}

void LineStore::decode() const
{
    if (!m_pending) {
        return;
    }
    if (!m_pendingTile.empty()) {
        try {
            readTileFile(m_pendingTile, m_file);
        } catch (const Error&) {
            m_file.clear();
        }
        m_pendingTile.clear();
    }
    const EncodingMark mark = detectEncoding(m_file);
    const auto body = std::span<const char>(m_file).subspan(mark.length);
    m_text = unifyLineBreaks(decodeTileText(body, mark.encoding));
    std::vector<char>().swap(m_file);
    m_pending = false;
    indexLines();
}

void LineStore::indexLines() const
{
    m_lineStarts.clear();
    for (std::size_t start = 0; start < m_text.size();) {
        m_lineStarts.push_back(start);
        const std::size_t lineBreak = m_text.find(u"\r\n", start);
        if (lineBreak == std::u16string::npos) {
            break;
        }
        start = lineBreak + 2;
    }
}

std::size_t LineStore::lineCount() const
{
    decode();
    return m_lineStarts.size();
}

std::u16string LineStore::line(std::size_t index) const
{
    decode();
    const std::size_t start = m_lineStarts.at(index);
    const std::size_t end = index + 1 < m_lineStarts.size()
                                ? m_lineStarts[index + 1] - 2
                                : std::min(m_text.find(u"\r\n", start), m_text.size());
    if (end - start > kMaxFetchableLine) {
        throw OutOfResources("Line too long");
    }
    return m_text.substr(start, end - start);
}

const std::u16string& LineStore::text() const
{
    decode();
    return m_text;
}

namespace {

constexpr std::size_t kLongestMark = 3;

}  // namespace

void refuseTooLargeTile(platform::TileFile& tile)
{
    // Only a mark may bring a file over the limit back within it: a look at its first bytes
    // decides before anything else is read.
    bool fits = tile.size() <= kMaxTileText;
    if (!fits && tile.size() <= kMaxTileText + kLongestMark) {
        char start[kLongestMark];
        const std::size_t got = tile.readStart(start, kLongestMark);
        fits = tile.size() - detectEncoding({start, got}).length <= kMaxTileText;
    }
    if (!fits) {
        throwTileTooLarge(tile);
    }
}

void throwTileTooLarge(const platform::TileFile& tile)
{
    throw Error(openErrorText(platform::fullPath(tile.path()), "The file is 2 GiB or larger.", 0));
}

void readTileFile(platform::TileFile& tile, std::vector<char>& file)
{
    refuseTooLargeTile(tile);
    if (!tile.read(file, kMaxTileText + kLongestMark) ||
        file.size() - detectEncoding(file).length > kMaxTileText) {
        throwTileTooLarge(tile);
    }
}

void readTileFile(const std::string& path, std::vector<char>& file)
{
    platform::TileFile tile(path);
    readTileFile(tile, file);
}

}  // namespace gantrel
