#ifndef VORM_TESTS_COUTCAPTURE_H
#define VORM_TESTS_COUTCAPTURE_H

#include <iostream>
#include <sstream>
#include <string>

// Redirects std::cout into a string for the lifetime of the object.
class CoutCapture
{
public:
    CoutCapture() : m_old(std::cout.rdbuf(m_buffer.rdbuf())) {}
    ~CoutCapture() { std::cout.rdbuf(m_old); }
    CoutCapture(const CoutCapture&) = delete;
    CoutCapture& operator=(const CoutCapture&) = delete;

    std::string Text() const { return m_buffer.str(); }
    bool Contains(const std::string& text) const { return Text().find(text) != std::string::npos; }

private:
    std::stringstream m_buffer;
    std::streambuf* m_old;
};

#endif
