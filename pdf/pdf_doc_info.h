#pragma once

#include <string>

namespace pdf {

// The document information written as the /Info dictionary.
class TPDFDocInfo {
public:
    // Neutral defaults of this system's writer; the creation date is now.
    TPDFDocInfo();

    const std::string& Author() const { return Author_; }
    const std::string& Creator() const { return Creator_; }
    const std::string& Keywords() const { return Keywords_; }
    const std::string& Subject() const { return Subject_; }
    const std::string& Title() const { return Title_; }
    const std::string& Producer() const { return Producer_; }
    double CreationDate() const { return CreationDate_; }
    int ObjNumber() const { return ObjNumber_; }

    void SetAuthor(const std::string& value) { Author_ = value; }
    void SetCreator(const std::string& value) { Creator_ = value; }
    void SetKeywords(const std::string& value) { Keywords_ = value; }
    void SetSubject(const std::string& value) { Subject_ = value; }
    void SetTitle(const std::string& value) { Title_ = value; }
    void SetCreationDate(double value) { CreationDate_ = value; }
    void SetObjNumber(int value) { ObjNumber_ = value; }

    // Copies Creator, the creation date, Author, Title, Subject and Keywords; the producer
    // stays the writer's own.
    void Assign(const TPDFDocInfo& source);

private:
    std::string Producer_;
    int ObjNumber_ = 0;
    std::string Keywords_;
    std::string Title_;
    std::string Creator_;
    std::string Author_;
    std::string Subject_;
    double CreationDate_ = 0;
};

}  // namespace pdf
