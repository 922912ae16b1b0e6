#include "send/CellText.h"
#include "send/WorkbookReader.h"

#include <freexl.h>

namespace qb {
namespace {

class XlsReader final : public WorkbookReader {
public:
    ~XlsReader() override {
        if (m_handle)
            freexl_close(m_handle);
    }

    bool open(const std::string& path) {
        if (freexl_open(path.c_str(), &m_handle) != FREEXL_OK)
            return false;
        unsigned int info = 0;
        // An obfuscated (password) workbook's cells are not readable.
        if (freexl_get_info(m_handle, FREEXL_BIFF_PASSWORD, &info) != FREEXL_OK ||
            info == FREEXL_BIFF_OBFUSCATED)
            return false;
        unsigned int count = 0;
        if (freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0)
            return false;
        for (unsigned int i = 0; i < count && i < 0xFFFF; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(m_handle, static_cast<unsigned short>(i), &name) != FREEXL_OK)
                return false;
            m_names.emplace_back(name ? name : "");
        }
        return true;
    }

    const std::vector<std::string>& sheetNames() const override { return m_names; }

    bool readSheet(int index, const CellSink& sink) override {
        if (index < 0 || index >= static_cast<int>(m_names.size()))
            return false;
        if (freexl_select_active_worksheet(m_handle, static_cast<unsigned short>(index)) != FREEXL_OK)
            return false;
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_worksheet_dimensions(m_handle, &rows, &columns) != FREEXL_OK)
            return false;
        for (unsigned int r = 0; r < rows && r < static_cast<unsigned int>(kMaxSheetRows); ++r)
            for (unsigned short c = 0; c < columns && c < kMaxSheetColumns; ++c) {
                FreeXL_CellValue cell;
                if (freexl_get_cell_value(m_handle, r, c, &cell) != FREEXL_OK)
                    continue;
                std::string text;
                switch (cell.type) {
                case FREEXL_CELL_INT:
                    text = std::to_string(cell.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    text = celltext::number(cell.value.double_value);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME:
                    text = cell.value.text_value ? cell.value.text_value : "";
                    break;
                default:
                    break;
                }
                if (!text.empty())
                    sink(static_cast<int>(r), c, std::move(text));
            }
        return true;
    }

private:
    const void* m_handle = nullptr;
    std::vector<std::string> m_names;
};

} // namespace

std::unique_ptr<WorkbookReader> openXls(const std::string& path) {
    auto reader = std::make_unique<XlsReader>();
    if (!reader->open(path))
        return nullptr;
    return reader;
}

} // namespace qb
