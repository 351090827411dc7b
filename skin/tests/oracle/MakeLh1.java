import java.io.*;
import java.nio.file.*;
import jp.gr.java_conf.dangan.util.lha.*;

// Compresses a file with the -lh1- encoder of an LHA library, writing the raw member stream.
// usage: java -cp /usr/share/java/jlha.jar MakeLh1.java INPUT OUTPUT [INPUT OUTPUT ...]
public class MakeLh1 {
    public static void main(String[] args) throws Exception {
        for (int i = 0; i + 1 < args.length; i += 2) {
            byte[] data = Files.readAllBytes(Paths.get(args[i]));
            try (OutputStream file = new FileOutputStream(args[i + 1]);
                 OutputStream out = CompressMethod.connectEncoder(file, CompressMethod.LH1, new java.util.Properties())) {
                out.write(data);
            }
        }
    }
}
