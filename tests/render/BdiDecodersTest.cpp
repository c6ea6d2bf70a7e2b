// BdiDecodersTest
